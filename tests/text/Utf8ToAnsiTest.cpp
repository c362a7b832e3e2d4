#include <string>

#include <gtest/gtest.h>

#include "common/Sjis.h"
#include "common/TestText.h"
#include "text/Utf8ToAnsi.h"

namespace {

using velkin::CowString;

TEST(Utf8ToAnsiTest, ConvertsOnlyUtf8WhoseEveryCharacterTheCodePageHasUnlessOnlyShown)
{
    const struct {
        std::string bytes;
        std::string ansi;    // "" when there is none
        std::string shown;   // ShownText where it differs from ReadableText
    } cases[] = {
        {"\xE4\xBB\xB6\xE6\x95\xB0 = 1", Sjis("件数 = 1")},
        {std::string("a\0\xE3\x81\x82", 5), std::string("a\0", 2) + Sjis("あ")},   // an embedded zero stays
        {"ascii only", ""},
        {"", ""},
        {Sjis("件数"), ""},                     // not UTF-8
        {"\xE4\xBB\xB6\xE6\x95", ""},           // the last character cut
        {"\xED\xA0\x80", ""},                   // a surrogate half
        {"caf\xC3\xA9", "", "cafe"},            // "é": no best-fit "e" either, but when only shown
        {"\xE4\xBB\xB6\xEA\xB0\x80", "", Sjis("件?")},   // a Korean syllable among kanji
        {"\xF0\x9F\x91\x8F Contributing", "", "? Contributing"},   // an emoji
    };
    for (const auto& c : cases) {
        const CowString text(c.bytes.data(), static_cast<int>(c.bytes.size()));
        EXPECT_EQ(c.ansi, Str(velkin::Utf8ToAnsi(text))) << Utf8(c.bytes);
        const std::string readable = c.ansi.empty() ? c.bytes : c.ansi;
        EXPECT_EQ(readable, Str(velkin::ReadableText(text))) << Utf8(c.bytes);
        EXPECT_EQ(c.shown.empty() ? readable : c.shown, Str(velkin::ShownText(text))) << Utf8(c.bytes);
    }
}

}  // namespace
