#include "plugin/StatusText.h"

#include "editor/HostWindow.h"

namespace velkin {

namespace {

// Created empty when the library loads, released when it unloads.
CowString g_statusText;

}  // namespace

void ShowStatus(HWND hostWindow, UINT messageId, const CowString& first, const CowString& second,
                const CowString& third)
{
    g_statusText.FormatFromTable(messageId, first.Text(), second.Text(), third.Text());
    SetStatusText(hostWindow, g_statusText.Text());
}

}  // namespace velkin
