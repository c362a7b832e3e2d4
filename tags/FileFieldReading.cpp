#include "tags/FileFieldReading.h"

#include <windows.h>

#include <cstdio>

#include "tags/LineGrammar.h"
#include "text/Utf8ToAnsi.h"

namespace velkin {

namespace {

// [name, nameEnd) spells `lower` (lower-case ASCII), letter case ignored.
bool SpellsIgnoringCase(const char* name, const char* nameEnd, const char* lower) noexcept
{
    for (; name != nameEnd; ++name, ++lower) {
        const char byte = *name >= 'A' && *name <= 'Z' ? static_cast<char>(*name - 'A' + 'a') : *name;
        if (*lower == 0 || byte != *lower) return false;
    }
    return *lower == 0;
}

// The names of the ANSI code page itself: "cp932", "windows-932".
bool NamesAnsiCodePage(const char* name, const char* nameEnd) noexcept
{
    char own[24];
    std::snprintf(own, sizeof own, "cp%u", GetACP());
    if (SpellsIgnoringCase(name, nameEnd, own)) return true;
    std::snprintf(own, sizeof own, "windows-%u", GetACP());
    return SpellsIgnoringCase(name, nameEnd, own);
}

FieldReading AsWritten(const CowString& field) noexcept
{
    FieldReading reading;
    reading.text = field;
    return reading;
}

}  // namespace

FieldEncoding FieldEncodingNamed(const char* name, const char* nameEnd) noexcept
{
    for (const char* utf8 : {"utf-8", "utf8"})
        if (SpellsIgnoringCase(name, nameEnd, utf8)) return FieldEncoding::utf8;
    for (const char* ansi : {"cp932", "shift_jis", "sjis", "windows-31j"})
        if (SpellsIgnoringCase(name, nameEnd, ansi)) return FieldEncoding::ansi;
    return NamesAnsiCodePage(name, nameEnd) ? FieldEncoding::ansi : FieldEncoding::unstated;
}

FieldEncoding ReadFieldEncoding(const char* begin, const char* end) noexcept
{
    const char* valueEnd = nullptr;
    const char* value = FindPseudoTagValue(begin, end, "!_TAG_FILE_ENCODING", &valueEnd);
    return value ? FieldEncodingNamed(value, valueEnd) : FieldEncoding::unstated;
}

FieldReadings ReadFileField(const CowString& field, FieldEncoding encoding) noexcept
{
    FieldReadings readings;
    const char* const begin = field.Text();
    const char* const end = begin + field.Length();
    if (encoding == FieldEncoding::ansi || !HoldsNonAsciiByte(begin, end) || !IsUtf8(begin, end)) {
        readings.reading[readings.count++] = AsWritten(field);
        return readings;
    }
    FieldReading& utf8 = readings.reading[readings.count];
    utf8.wide = Utf8ToWide(field);
    if (utf8.wide.empty()) return readings;  // out of memory
    utf8.text = WideToAnsi(utf8.wide);
    if (utf8.text.IsEmpty() && GetACP() == CP_UTF8) utf8.text = field;
    if (!utf8.text.IsEmpty()) utf8.wide.clear();
    ++readings.count;
    if (encoding == FieldEncoding::unstated && IsAnsiText(begin, end))
        readings.reading[readings.count++] = AsWritten(field);
    return readings;
}

CowString ShownFileField(const CowString& field, FieldEncoding encoding) noexcept
{
    return encoding == FieldEncoding::ansi ? field : ShownText(field);
}

}  // namespace velkin
