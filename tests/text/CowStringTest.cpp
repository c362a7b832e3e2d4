#include <cstring>
#include <initializer_list>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "common/Sjis.h"
#include "common/TestText.h"
#include "res/ResourceIds.h"
#include "text/CowString.h"

using velkin::CowString;

namespace {

constexpr UINT IDS_TEST_LONG = 9000;
constexpr UINT IDS_TEST_253 = 9001;
constexpr UINT IDS_TEST_254 = 9002;
constexpr UINT IDS_TEST_255 = 9003;
constexpr UINT IDS_TEST_700 = 9004;
constexpr UINT IDS_TEST_CUT_256 = 9005;
constexpr UINT IDS_TEST_CUT_512 = 9006;
constexpr UINT IDS_MISSING = 8999;

// Every empty value points at the one static empty text: no allocation.
const char* StaticEmptyText() { return CowString().Text(); }

// How many values share the block of `s`, as the header before its text
// counts them (-1 for the static empty text).
LONG Refs(const CowString& s) { return reinterpret_cast<const velkin::StringHeader*>(s.Text())[-1].refs; }

const char* Id(UINT id) { return reinterpret_cast<const char*>(static_cast<ULONG_PTR>(id)); }

// "表" and "ソ" have 0x5C ('\') as their trail byte.
const std::string kHyou = "\x95\x5C";
const std::string kSo = "\x83\x5C";

}  // namespace

TEST(CowStringTest, EmptyValuesShareTheStaticTextAndAllocateNothing)
{
    const char* empty = StaticEmptyText();
    const CowString fromNull(static_cast<const char*>(nullptr));
    const CowString fromEmptyText("");
    const CowString fromZeroCount("abc", 0);
    const CowString fromNoBytes('x', 0);
    const CowString fromNegativeCount('x', -3);
    const CowString fromMissingId(Id(IDS_MISSING));
    const CowString copied(fromNull);
    const CowString joined = fromEmptyText + "";
    const CowString cut = CowString("abcd").Substring(2, 0);
    for (const CowString* s : {&fromNull, &fromEmptyText, &fromZeroCount, &fromNoBytes, &fromNegativeCount,
                               &fromMissingId, &copied, &joined, &cut}) {
        EXPECT_EQ(empty, s->Text());
        EXPECT_EQ(0, s->Length());
        EXPECT_EQ(0, s->Text()[0]);
    }
}

TEST(CowStringTest, ReleasingEmptyValuesLeavesTheStaticTextIntact)
{
    {
        CowString a;
        CowString b(a);
        CowString c;
        c = b;
        c.CloseBuffer(-1);
    }
    EXPECT_EQ(0, CowString().Length());
    EXPECT_STREQ("", CowString().Text());
}

TEST(CowStringTest, ConstructsFromTextBytesRepeatsAndIds)
{
    EXPECT_EQ("abc", Str(CowString("abc")));
    EXPECT_EQ(std::string("a\0b", 3), Str(CowString("a\0bc", 3)));
    EXPECT_EQ("xxx", Str(CowString('x', 3)));
    EXPECT_EQ("Velkin", Str(CowString(Id(IDS_PLUGIN_NAME))));
    EXPECT_EQ(Sjis("TAGS(ctags)ジャンプ"), Str(CowString(Id(IDS_MENU_TEXT))));
}

TEST(CowStringTest, CopiesShareTheBlockUntilOneIsWritten)
{
    CowString original("shared text");
    CowString copy(original);
    EXPECT_EQ(original.Text(), copy.Text());

    char* buffer = copy.OpenBuffer(4);
    ASSERT_NE(nullptr, buffer);
    EXPECT_NE(original.Text(), buffer);
    buffer[0] = 'S';
    copy.CloseBuffer(-1);
    EXPECT_EQ("shared text", Str(original));
    EXPECT_EQ("Shared text", Str(copy));
}

TEST(CowStringTest, AssignmentToItselfChangesNothing)
{
    CowString s("same");
    const char* before = s.Text();
    CowString& alias = s;
    s = alias;
    EXPECT_EQ(before, s.Text());
    EXPECT_EQ("same", Str(s));

    CowString other(s);
    s = other;  // already sharing: nothing happens
    EXPECT_EQ(before, s.Text());
}

// Each way of making one value from another, then a change to one side and
// its release: the other side keeps its text, and every block counts exactly
// the values pointing at it. The target's previous text is shared with `old`,
// which must be left its only owner.
TEST(CowStringTest, CopiesAndMovesCountTheirSharersAndLeaveTheOtherSideItsText)
{
    using Holder = std::optional<CowString>;
    const struct {
        const char* label;
        void (*make)(Holder& source, Holder& target);
        const char* source;  // the texts afterwards
        const char* target;
    } ways[] = {
        {"copy construction", [](Holder& s, Holder& t) { t.emplace(*s); }, "source", "source"},
        {"copy assignment", [](Holder& s, Holder& t) { *t = *s; }, "source", "source"},
        {"assignment between sharers", [](Holder& s, Holder& t) { *t = *s; *s = *t; }, "source", "source"},
        {"self-assignment", [](Holder& s, Holder&) { const CowString& alias = *s; *s = alias; }, "source", "target"},
        {"move construction", [](Holder& s, Holder& t) { t.emplace(std::move(*s)); }, "", "source"},
        {"move assignment", [](Holder& s, Holder& t) { *t = std::move(*s); }, "", "source"},
    };
    const auto expectCounts = [](std::initializer_list<const Holder*> values, const std::string& context) {
        for (const Holder* value : values) {
            if (!*value) continue;
            LONG sharers = 0;
            for (const Holder* other : values) sharers += *other && (*other)->Text() == (*value)->Text();
            EXPECT_EQ((*value)->IsEmpty() ? -1 : sharers, Refs(**value)) << context << ": " << (*value)->Text();
        }
    };
    for (const auto& way : ways) {
        for (const bool changeTarget : {false, true}) {
            const std::string context = std::string(way.label) + (changeTarget ? ", target changed" : ", source changed");
            Holder source(std::in_place, "source");
            Holder target(std::in_place, "target");
            const Holder old(target);
            way.make(source, target);
            EXPECT_EQ(way.source, Str(*source)) << context;
            EXPECT_EQ(way.target, Str(*target)) << context;
            expectCounts({&source, &target, &old}, context);

            Holder& changed = changeTarget ? target : source;
            const Holder& other = changeTarget ? source : target;
            const std::string otherText = Str(*other);
            changed->Assign("x", 1);  // fits the block: written in place unless it is shared
            EXPECT_EQ(otherText, Str(*other)) << context;
            expectCounts({&source, &target, &old}, context + " (changed)");
            if (HasFailure()) return;  // a miscounted block would now be freed while still in use
            changed.reset();
            EXPECT_EQ(otherText, Str(*other)) << context;
            EXPECT_EQ("target", Str(*old)) << context;
            expectCounts({&source, &target, &old}, context + " (released)");
        }
    }
}

TEST(CowStringTest, AssigningFromItsOwnBytesIsSafe)
{
    CowString s("abcdef");
    s = s.Text() + 2;  // the block is reused: the copy may overlap
    EXPECT_EQ("cdef", Str(s));

    CowString shared("abcdef");
    CowString sharer(shared);
    shared = shared.Text() + 3;  // shared: a new block is made before the old one is released
    EXPECT_EQ("def", Str(shared));
    EXPECT_EQ("abcdef", Str(sharer));
}

TEST(CowStringTest, OpenBufferKeepsTextAndLengthAndGrows)
{
    CowString s("abc");
    char* buffer = s.OpenBuffer(100);
    ASSERT_NE(nullptr, buffer);
    EXPECT_STREQ("abc", buffer);
    EXPECT_EQ(3, s.Length());
    lstrcpyA(buffer, "a longer text");
    s.CloseBuffer(-1);
    EXPECT_EQ("a longer text", Str(s));
    s.CloseBuffer(2);
    EXPECT_EQ("a ", Str(s));
}

TEST(CowStringTest, CloseBufferNeverWritesOutsideTheBlock)
{
    CowString s;
    char* buffer = s.OpenBuffer(8);
    ASSERT_NE(nullptr, buffer);
    lstrcpyA(buffer, "1234567");
    s.CloseBuffer(1000);
    EXPECT_EQ(8, s.Length());
    s.CloseBuffer(-5);
    EXPECT_EQ(0, s.Length());
}

TEST(CowStringTest, SubstringAndPrefixClamp)
{
    const CowString s("abcdef");
    struct Case {
        int first;
        int count;
        const char* expected;
    };
    const Case cases[] = {
        {0, 3, "abc"},  {2, 2, "cd"},     {4, 100, "ef"}, {-3, 2, "ab"}, {2, -1, ""},
        {6, 1, ""},     {7, 1, ""},       {100, 5, ""},   {1, 0x7FFFFFFF, "bcdef"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, Str(s.Substring(c.first, c.count))) << c.first << ", " << c.count;
    }
    EXPECT_EQ("def", Str(s.Substring(3)));
    EXPECT_EQ("", Str(s.Substring(9)));
    // The jump's pattern cut: two bytes off each end of a 4-byte address.
    const CowString four("/^$/");
    EXPECT_EQ("", Str(four.Substring(2, four.Length() - 4)));
    EXPECT_EQ("", Str(CowString("ab").Substring(2, -2)));

    EXPECT_EQ("abc", Str(s.Prefix(3)));
    EXPECT_EQ("", Str(s.Prefix(-1)));
    EXPECT_EQ("abcdef", Str(s.Prefix(99)));
}

TEST(CowStringTest, ConcatenationAndEquality)
{
    const CowString ab("ab");
    EXPECT_EQ("abcd", Str(ab + CowString("cd")));
    EXPECT_EQ("ab\\tags", Str(ab + "\\" + "tags"));
    EXPECT_EQ("ab", Str(ab + static_cast<const char*>(nullptr)));
    EXPECT_TRUE(CowString("Abc") == CowString("Abc"));
    EXPECT_FALSE(CowString("Abc") == CowString("abc"));
    EXPECT_TRUE(CowString("x") != CowString("xy"));
}

TEST(CowStringTest, FindTextStartsAtCharacterBoundaries)
{
    const CowString s("abcabc");
    EXPECT_EQ(0, s.FindText("abc"));
    EXPECT_EQ(3, s.FindText("abc", 1));
    EXPECT_EQ(-1, s.FindText("abcd"));
    EXPECT_EQ(2, s.FindText("", 2));
    EXPECT_EQ(6, s.FindText("", 6));
    EXPECT_EQ(-1, s.FindText("", 7));
    EXPECT_EQ(-1, s.FindText("a", 7));

    // The trail byte of "ソ" is '\': a search for "\" followed by 'x' must
    // skip it and find only the real backslash.
    const CowString path(("a" + kSo + "x\\x").c_str());
    EXPECT_EQ(4, path.FindText("\\x"));
    EXPECT_EQ(-1, CowString(kHyou.c_str()).FindText("\\"));
    // A match may begin right after a double-byte character.
    EXPECT_EQ(2, CowString((kHyou + "\\").c_str()).FindText("\\"));
}

TEST(CowStringTest, FindLastByteFindsOnlyRealSeparators)
{
    const std::string path = "C:\\" + kHyou + "\\" + kSo + "\\" + "a" + kSo + ".c";
    const CowString s(path.c_str());
    EXPECT_EQ(static_cast<int>(path.rfind("\\" "a")), s.FindLastByte('\\'));
    EXPECT_EQ(-1, CowString((kHyou + kSo).c_str()).FindLastByte('\\'));
    EXPECT_EQ(-1, CowString("").FindLastByte('\\'));
}

TEST(CowStringTest, ScanFunctionsStepByCharacters)
{
    const std::string text = kSo + "\\" + kHyou;
    EXPECT_EQ(text.c_str() + 2, velkin::ScanChar(text.c_str(), '\\'));
    EXPECT_EQ(text.c_str() + 2, velkin::ScanLastChar(text.c_str(), '\\'));
    EXPECT_EQ(nullptr, velkin::ScanChar("abc", 'x'));
    EXPECT_EQ(text.c_str() + 2, velkin::ScanSubstring(text.c_str(), "\\"));
    const char* plain = "plain";
    EXPECT_EQ(plain, velkin::ScanSubstring(plain, ""));
}

TEST(CowStringTest, LoadFromTableLoadsTextsOfEveryLength)
{
    struct Case {
        UINT id;
        int expectedLength;
    };
    const Case cases[] = {{IDS_TEST_253, 253}, {IDS_TEST_254, 254}, {IDS_TEST_255, 255}, {IDS_TEST_700, 700}};
    for (const Case& c : cases) {
        CowString s;
        EXPECT_TRUE(s.LoadFromTable(c.id));
        EXPECT_EQ(c.expectedLength, s.Length()) << c.id;
        EXPECT_EQ('a', s.Text()[0]);
    }

    // A load cut before a double-byte character that does not fit ends one
    // byte short of a full buffer, and must be taken for a cut one.
    const struct {
        UINT id;
        int asciiBytes;
    } cuts[] = {{IDS_TEST_CUT_256, 254}, {IDS_TEST_CUT_512, 510}};
    for (const auto& cut : cuts) {
        CowString s;
        EXPECT_TRUE(s.LoadFromTable(cut.id));
        EXPECT_EQ(std::string(cut.asciiBytes, 'a') + kHyou + "xyz", Str(s)) << cut.id;
    }

    CowString longText;
    EXPECT_TRUE(longText.LoadFromTable(IDS_TEST_LONG));
    EXPECT_GT(longText.Length(), 256);
    EXPECT_EQ(0, longText.FindText(Sjis("長い文字列表示ソフト").c_str()));
    EXPECT_EQ(longText.Length() - 6, longText.FindText(Sjis("終わり").c_str()));
}

TEST(CowStringTest, LoadFromTableOfAMissingIdGivesEmpty)
{
    CowString s("previous");
    EXPECT_FALSE(s.LoadFromTable(IDS_MISSING));
    EXPECT_EQ(0, s.Length());
}

TEST(CowStringTest, FormatFromTableFillsPlaceholdersInOrder)
{
    CowString s;
    EXPECT_TRUE(s.FormatFromTable(IDS_SEARCHING_WORD, "foo_bar2", "C:\\proj\\tags"));
    EXPECT_EQ(Sjis("'foo_bar2'の位置を'C:\\proj\\tags'から探します..."), Str(s));
    // A text without placeholders ignores its arguments.
    EXPECT_TRUE(s.FormatFromTable(IDS_CANNOT_OPEN_FILE, "C:\\a.c"));
    EXPECT_EQ(Sjis("ファイルが開けません"), Str(s));
    // A missing format formats as the empty text.
    EXPECT_TRUE(s.FormatFromTable(IDS_MISSING, "x"));
    EXPECT_EQ(0, s.Length());
}

TEST(CowStringTest, FormattedTextIsCutAt2048Bytes)
{
    const std::string longArgument(3000, 'x');
    CowString fresh;
    fresh.FormatText("%s", longArgument.c_str());
    EXPECT_EQ(CowString::kFormatLimit, fresh.Length());

    // A block larger than the limit is reused, and the cut still holds.
    CowString reused;
    ASSERT_NE(nullptr, reused.OpenBuffer(5000));
    std::memset(reused.OpenBuffer(5000), 'y', 5000);
    reused.CloseBuffer(5000);
    reused.FormatText("%s", longArgument.c_str());
    EXPECT_EQ(CowString::kFormatLimit, reused.Length());
    EXPECT_EQ(std::string(2048, 'x'), Str(reused));

    CowString shortText;
    shortText.FormatText("%d-%s", 42, "z");
    EXPECT_EQ("42-z", Str(shortText));
}
