// Test texts are written in UTF-8; the plug-in works in the ANSI code page
// (932). Sjis() gives the bytes the plug-in produces for an expected text,
// Utf8() the reverse for readable messages.
#pragma once

#include <string>

#include "host/TextCodec.h"

inline std::string Sjis(const std::string& utf8) { return velkin::sim::Utf8ToShiftJis(utf8); }
inline std::string Utf8(const std::string& ansi) { return velkin::sim::ShiftJisToUtf8(ansi); }
