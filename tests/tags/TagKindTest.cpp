// DescribeTagKind: the code byte of each kind letter, and the prefix from the
// extension fields. Expected prefixes are the test program's own copies of
// strings 511-514, written in UTF-8.
#include <string>

#include <gtest/gtest.h>

#include "common/Sjis.h"
#include "common/TestText.h"
#include "tags/TagKind.h"

namespace {

using velkin::CowString;
using velkin::DescribeTagKind;

TEST(DescribeTagKindTest, PrefixFromTheExtensionFieldsThenOneCodeByte)
{
    const std::string longRest(3000, 'a');
    const struct {
        char kind;
        std::string fields;
        std::string expected;
    } cases[] = {
        {'f', "", "\xF4"},
        {'c', "", "\xF5"},
        {'n', "", "\xF6"},
        {'d', "", "\xF7"},
        {'t', "", "\xF8"},
        {'s', "", "\xF9"},
        {'u', "", "\xFA"},
        {'m', "", "\xFB"},
        {'g', "", "\xFF"},   // an enum
        {'e', "", "\xFC"},   // its enumerators
        {'v', "", "\xFD"},
        {'F', "", "F"},   // upper case and letters outside the table stand for themselves
        {'p', "line:4", "p"},
        {'\xFE', "", "\xFE"},
        {'\0', "", std::string(1, '\0')},
        {'f', "file:", "\xFE\xF4"},
        {'f', "file:\tline:3", "\xF4"},   // not equal to "file:", and no key
        {'f', "file: ", "\xF4"},
        {'m', "class:Foo", Sjis("クラス Foo メンバ ") + "\xFB"},
        {'m', "struct:Pt", Sjis("構造体 Pt メンバ") + "\xFB"},
        {'c', "inherits:Base", Sjis("Base を継承した") + "\xF5"},
        {'x', "access:public", Sjis("スコープ public の") + "x"},
        {'m', "class:", Sjis("クラス  メンバ ") + "\xFB"},
        {'m', "struct:A\tfile:", Sjis("構造体 A\tfile: メンバ") + "\xFB"},   // later fields stay in the rest
        {'f', "access:public\tclass:Foo", Sjis("スコープ public\tclass:Foo の") + "\xF4"},
        {'f', "Class:Foo", "\xF4"},   // keys are case-sensitive and must begin the text
        {'f', " class:Foo", "\xF4"},
        {'f', "line:3\tclass:Foo", "\xF4"},
        {'m', "class:" + longRest, (Sjis("クラス ") + longRest).substr(0, 2048) + "\xFB"},   // cut at 2048 bytes
    };
    for (const auto& c : cases) {
        const CowString fields(c.fields.c_str());
        EXPECT_EQ(c.expected, Str(DescribeTagKind(c.kind, fields))) << "kind " << int(c.kind) << ", fields " << c.fields;
        EXPECT_EQ(c.fields, Str(fields)) << "the input is unchanged";
    }
}

}  // namespace
