// velkin_demo: the real plug-in loaded into the simulated editor, printing
// what the editor would learn from it. Texts are converted from the ANSI code
// page to UTF-8 so a Linux terminal shows them.
//
// Each step is one function of the table in main; add a step to show more.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <exception>
#include <stdexcept>
#include <utility>
#include <string>

#include "host/PluginLibrary.h"
#include "host/SimHost.h"
#include "host/TextCodec.h"
#include "editor/HostMessages.h"

namespace {

using velkin::sim::PluginLibrary;
using velkin::sim::ShiftJisToUtf8;
using velkin::sim::SimFrame;
using velkin::sim::SimHost;

struct Demo {
    PluginLibrary& plugin;
    SimHost& host;
    SimFrame& frame;
};

void PrintLine(const std::string& label, const std::string& ansiText)
{
    const std::string line = "  " + label + ": " + ShiftJisToUtf8(ansiText) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
}

// A name or version query, asked as the editor asks it: the size first, then the text.
std::string AskText(Demo& demo, UINT query)
{
    const LRESULT size = demo.plugin.PlugInProc(demo.frame.Window(), query, 0, 0);
    if (size <= 0) return std::string();
    std::string text(static_cast<std::size_t>(size), '\0');
    demo.plugin.PlugInProc(demo.frame.Window(), query, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    return text.c_str();
}

void ShowIdentity(Demo& demo)
{
    PrintLine("name", AskText(demo, velkin::PLUGIN_QUERY_NAME));
    PrintLine("version", AskText(demo, velkin::PLUGIN_QUERY_VERSION));
    PrintLine("interface", std::to_string(demo.plugin.PlugInProc(demo.frame.Window(), velkin::PLUGIN_QUERY_INTERFACE, 0, 0)));
    PrintLine("file", demo.plugin.Path());
}

void ShowMenuTexts(Demo& demo)
{
    PrintLine("menu text", demo.plugin.LoadText(demo.plugin.GetMenuTextID()));
    // The status text carries the tool tip after a line feed.
    const std::string status = demo.plugin.LoadText(demo.plugin.GetStatusMessageID());
    const std::size_t lineFeed = status.find('\n');
    PrintLine("status text", status.substr(0, lineFeed));
    PrintLine("tool tip", lineFeed == std::string::npos ? std::string() : status.substr(lineFeed + 1));
}

void ShowBitmaps(Demo& demo)
{
    const HWND window = demo.frame.Window();
    PrintLine("bitmap (GetBitmapID)", std::to_string(demo.plugin.GetBitmapID()));
    PrintLine("bitmap, small toolbar", std::to_string(demo.plugin.PlugInProc(window, velkin::PLUGIN_QUERY_BITMAP, 0, 0)));
    PrintLine("bitmap, large toolbar", std::to_string(demo.plugin.PlugInProc(window, velkin::PLUGIN_QUERY_BITMAP, 1, 0)));
}

void ShowState(Demo& demo)
{
    BOOL checked = TRUE;
    const BOOL enabled = demo.plugin.QueryStatus(demo.frame.Window(), &checked);
    PrintLine("enabled", enabled ? "yes" : "no");
    PrintLine("checked", checked ? "yes" : "no");
}

void ShowEventReply(Demo& demo)
{
    demo.host.ClearCalls();
    demo.plugin.OnEvents(demo.frame.Window(), velkin::EVENT_STORE_VALUE | velkin::EVENT_SEND_REPLY, 42);
    for (const std::string& call : demo.host.DescribeCalls()) PrintLine("host received", call);
}

// A small project in the temporary folder: one source file and its tags file.
// Returns the source file's full path.
std::string WriteSampleProject()
{
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const std::string project = std::string(temp) + "velkin-demo";
    const std::string source = project + "\\src\\widget.c";
    CreateDirectoryA(project.c_str(), nullptr);
    CreateDirectoryA((project + "\\src").c_str(), nullptr);
    const std::pair<std::string, std::string> files[] = {
        {source, "struct widget { int value; };\r\n\r\nint widget_value(const struct widget *w)\r\n"
                 "{\r\n    return w->value;\r\n}\r\n"},
        {project + "\\tags",
         "!_TAG_FILE_FORMAT\t2\t/extended format/\n"
         "value\tsrc/widget.c\t/^struct widget { int value; };$/;\"\tm\tstruct:widget\n"
         "widget\tsrc/widget.c\t/^struct widget { int value; };$/;\"\ts\n"
         "widget_value\tsrc/widget.c\t3;\"\tf\ttyperef:typename:int\n"},
    };
    for (const auto& [path, text] : files) {
        const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                        nullptr);
        if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + path);
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }
    return source;
}

// Runs the command with the caret at `caret` and prints the status bar and
// where the caret ended (a single exact match jumps).
void RunCommandAt(Demo& demo, velkin::sim::SimDocument& document, velkin::HostPoint caret, const char* label)
{
    document.MoveCaret(caret);
    demo.host.ClearCalls();
    demo.plugin.OnCommand(demo.frame.Window());
    PrintLine(label, demo.frame.StatusText() + "  (" + std::to_string(demo.host.Calls().size()) +
                         " host messages, caret at line " + std::to_string(document.caret.y + 1) + " column " +
                         std::to_string(document.caret.x + 1) + ")");
}

void ShowCommand(Demo& demo)
{
    velkin::sim::SimView& view = demo.frame.AddView();
    velkin::sim::SimDocument& document = view.AddDocument();
    const std::string source = WriteSampleProject();
    PrintLine("document", source);
    document.Load(source);
    RunCommandAt(demo, document, {8, 2}, "caret on widget_value");
    RunCommandAt(demo, document, {0, 1}, "caret on an empty line");
    document.path.clear();
    RunCommandAt(demo, document, {8, 2}, "untitled document");
}

struct Step {
    const char* title;
    void (*run)(Demo&);
};

const Step kSteps[] = {
    {"Plug-in", ShowIdentity},
    {"Menu and status bar", ShowMenuTexts},
    {"Toolbar", ShowBitmaps},
    {"Command state", ShowState},
    {"Events (store 42 and reply)", ShowEventReply},
    {"The command", ShowCommand},
};

}  // namespace

int main()
{
    // Binary output: the UTF-8 bytes reach the terminal unchanged, without CRs.
    _setmode(_fileno(stdout), _O_BINARY);
    try {
        PluginLibrary plugin;
        SimHost host;
        Demo demo{plugin, host, host.AddFrame()};
        std::printf("Velkin demo (%d-bit build, ANSI code page %u)\n", static_cast<int>(sizeof(void*) * 8), GetACP());
        for (const Step& step : kSteps) {
            std::printf("%s\n", step.title);
            step.run(demo);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "velkin_demo: %s\n", error.what());
        return 1;
    }
    return 0;
}
