// Bad and truncated input: the scanner never reads past the data (every scan
// here runs against an inaccessible page), never crashes and never loses a
// record compared with the reference reader.
#include <windows.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <set>

#include <gtest/gtest.h>

#include "common/Sjis.h"
#include "common/TestText.h"
#include "tags/FileFieldMemo.h"
#include "tags/ScannerTestSupport.h"
#include "tags/TagScanner.h"
#include "tags/TagsFileLocator.h"
#include "win/FullPath.h"

using namespace scannertest;
using namespace std::string_literals;

namespace {

// The exact rule: the field placed by TagFilePath, resolved, compared with lstrcmpA.
bool Resolves(const std::string& folder, const std::string& field, const char* document)
{
    const velkin::CowString path = velkin::TagFilePath(folder.c_str(), velkin::CowString(field.data(), static_cast<int>(field.size())));
    return lstrcmpA(velkin::GetFullPath<velkin::CowString>(path.Text()).Text(), document) == 0;
}

// Lines as ctags writes them, with file fields that do and do not resolve to
// the document C:\proj\src\foo.c.
const std::string kRealLines[] = {
    "!_TAG_FILE_FORMAT\t2\t/extended format; --format=1 will not append ;\" to lines/",
    "Set\tsrc/foo.c\t/^void Widget::Set(int value) { value_ = value; }$/;\"\tf\tclass:ui::Widget\ttyperef:typename:void",
    "SetValue\tsrc/widget.cpp\t/^void Widget::SetValue(int value)$/;\"\tkind:function\tclass:ui::Widget",
    "Set\tinclude/config.h\t7;\"\td\tsignature:(target,value)",
    "SET_LIMIT\t./src/foo.c\t/^#define SET_LIMIT /;\"\td",
    "Settings\tsrc\\foo.c\t/^} Settings;$/;\"\tt\ttyperef:struct:Settings",
    "value_\tsrc/sub/../foo.c\t/^    int value_;$/;\"\tm\tclass:ui::Widget\ttyperef:typename:int\taccess:private",
    "ResetAll\tSRC/foo.c\t25;\"\tf\tnamespace:ui",
    "Se\tsrc/foo.c.\t/^#define Se(/;\"\td",
    "main\tsrc/main.c\t/^int main(int argc, char** argv)$/;\"\tf\ttyperef:typename:int",
};
const std::string kLineEnds[] = {"\n", "\r\n", "\r", "\n\n"};
const std::string kWords[] = {"Set", "S", "", "SetValue", "value_", "Se"};

TEST(RobustnessTest, EveryPrefixOfTrickyLinesMatchesTheReference)
{
    const std::string longName = "SetValueOfANameLongerThanTheSearchsChunkOfSixtyFourBytesWhereItsLastByteLies";
    const std::string data = "Set\tsrc/foo.c\t/^a;\"b\tc$/;\"\t\tclass:A\r\n"
                             "Set\tx.c\t12;\"\tf\tline:3\r\n\r\n"
                             "Set\tsrc/foo.c\t1;\"junk\tf\n"
                             "Set\tx.c\t1;;\";\"\tv\r"
                             "Set\tsrc\\foo.c\t/^0123456789abcdef0123456789abcdef$/;\"\tfunction\tk:v\n"
                             + longName + "\tfoo.c\t1;\"\tf\n"
                             "Set\tx.c\t1;\"\t";
    // The last words are longer than a chunk of the search (and the document's
    // name): the search reads furthest for their last byte, to the data's end
    // itself for a word of 64n + 1 bytes.
    for (const std::string word : {"Set"s, ""s, longName, longName.substr(0, 65), longName + longName.substr(0, 52)}) {
        ScanSettings settings;
        settings.word = word;
        for (size_t length = 0; length <= data.size(); ++length) {
            const std::string prefix = data.substr(0, length);
            ExpectSameLists(ReadReference(prefix, settings), Scan(prefix, settings), prefix);
        }
    }
}

// Random picks from the corpus and random edits of the data.
class Mutations {
public:
    explicit Mutations(unsigned seed) : random_(seed) {}
    size_t Pick(size_t count) { return static_cast<size_t>(random_() % count); }
    // Up to five edits: a byte replaced, inserted or erased, or the rest cut.
    // Returns how many.
    size_t Edit(std::string& data)
    {
        static const std::string edits = "\t\r\n;\"!\0Set/.\\x\x81\xE9 "s;
        size_t count = 0;
        for (size_t edit = Pick(6); edit > 0 && !data.empty(); --edit, ++count) {
            const size_t at = Pick(data.size());
            switch (Pick(4)) {
            case 0: data[at] = edits[Pick(edits.size())]; break;
            case 1: data.insert(at, 1, edits[Pick(edits.size())]); break;
            case 2: data.erase(at, 1); break;
            default: data.resize(at);
            }
        }
        return count;
    }

private:
    std::mt19937 random_;
};

TEST(RobustnessTest, RandomlyMutatedRealLinesMatchTheReference)
{
    Mutations mutations(20240611);
    for (int round = 0; round < 4000; ++round) {
        std::string data;
        for (size_t line = 1 + mutations.Pick(8); line > 0; --line) {
            data += kRealLines[mutations.Pick(10)] + kLineEnds[mutations.Pick(4)];
        }
        mutations.Edit(data);
        ScanSettings settings;
        settings.word = kWords[mutations.Pick(6)];
        ExpectSameLists(ReadReference(data, settings), Scan(data, settings), data);
        if (HasFailure()) return;
    }
}

// The same lines sorted under a header that says so, then mutated: a search
// of the file gives the tags of every line (those of some of its lines, in
// order, once the edits have broken the order).
TEST(RobustnessTest, SearchesOfMutatedSortedLinesGiveTagsOfEveryLine)
{
    TempFolder folder;
    Mutations mutations(20240612);
    const std::vector<std::string> words(std::begin(kWords), std::end(kWords));
    int searched = 0;
    for (int round = 0; round < 300; ++round) {
        std::vector<std::string> lines;
        for (size_t line = 1 + mutations.Pick(8); line > 0; --line) lines.push_back(kRealLines[mutations.Pick(10)]);
        std::sort(lines.begin(), lines.end());
        std::string data = "!_TAG_FILE_SORTED\t1\t/0=unsorted, 1=sorted, 2=foldcase/\n";
        for (const std::string& line : lines) data += line + kLineEnds[mutations.Pick(4)];
        const bool sorted = mutations.Edit(data) == 0;
        searched += CompareWithEveryLine(folder, data, words, ScanSettings(), sorted).sortedRange;
        if (HasFailure()) return;
    }
    EXPECT_GT(searched, 500);
}

TEST(RobustnessTest, BadInputIsScannedWithoutLoss)
{
    const std::string mega(1 << 20, 'a');
    std::mt19937 random(7);
    std::string lineEnds(100000, '\n');
    for (char& byte : lineEnds) byte = random() % 2 ? '\r' : '\n';
    std::string binary(1 << 18, '\0');
    const std::string bytes = "\t\r\n;\"!\0aab\xFF"s;
    for (char& byte : binary) byte = random() % 4 ? bytes[random() % bytes.size()] : static_cast<char>(random());

    const std::string good = "a\tsrc/foo.c\t9;\"\tv\n";
    const std::string inputs[] = {
        "a\tx.c\t" + mega + ";\"\tf\t" + mega + "\n" + good,
        mega + "\n" + good,
        std::string(1 << 20, '\0') + "\n" + good,
        "a\t" + mega + "\t1;\"\tf\n" + good,
        lineEnds,
        lineEnds + good,
        binary,
    };
    ScanSettings settings;
    settings.word = "a";
    for (const std::string& data : inputs) {
        const Lists expected = ReadReference(data, settings);
        const Lists lists = Scan(data, settings);
        ExpectSameLists(expected, lists, data.substr(0, 40));
        EXPECT_EQ(data.find(good) != std::string::npos, !lists.inDocument.empty()) << data.substr(0, 40);
    }
    EXPECT_EQ(mega, Scan(inputs[0], settings).exact.at(0).address);
}

// Each decision of the memo against the same field resolved afresh, over
// fields that resolve alike, differ in ways GetFullPathNameA may or may not
// ignore, and enough distinct ones to make the table grow several times.
TEST(FileFieldMemoTest, RememberingNeverChangesADecision)
{
    std::vector<std::string> pool = {"src/foo.c",  "src\\foo.c",  "./src/foo.c", "src/sub/../foo.c", "SRC/foo.c",
                                     "src/foo.c.", "src/foo.c ",  "src//foo.c", "src/foo.c\0x"s,    "",
                                     "..\\proj\\src\\foo.c", "C:\\proj\\src\\foo.c", "C:/proj/src/foo.c",
                                     "\\proj\\src\\foo.c", "\\\\host\\share\\foo.c"};
    const size_t variants = pool.size();
    for (int i = 0; i < 5000; ++i) pool.push_back("src/f" + std::to_string(i) + ".c");
    std::mt19937 random(99);
    std::vector<size_t> order;
    for (size_t i = 0; i < 40000; ++i) {
        const size_t recent = order.empty() ? 0 : order.back();
        order.push_back(random() % 3 == 0 ? recent : random() % 2 ? random() % variants : random() % pool.size());
    }
    std::string buffer;  // the fields side by side, as in a mapped file
    std::vector<std::pair<size_t, size_t>> fields;
    for (const size_t index : order) {
        fields.emplace_back(buffer.size(), pool[index].size());
        buffer += pool[index] + "\t";
    }

    const std::string folder = "C:\\proj", document = "C:\\proj\\src\\foo.c";
    velkin::FileFieldMemo memo(document.c_str(), folder.c_str());
    for (int pass = 0; pass < 2; ++pass) {
        const std::string copy = buffer;  // new addresses on each pass
        std::set<std::string> distinct;
        size_t inDocument = 0;
        for (const auto& [offset, length] : fields) {
            const std::string field = copy.substr(offset, length);
            const bool expected = Resolves(folder, field, document.c_str());
            ASSERT_EQ(expected, memo.IsInDocument(copy.data() + offset, copy.data() + offset + length)) << field;
            inDocument += expected;
            distinct.insert(field);
        }
        // At most once per distinct field: a field is resolved when first met
        // unless its name already rules it out (foo.c never does here).
        EXPECT_LE(memo.ResolvedCount(), (pass + 1) * distinct.size());
        EXPECT_GT(inDocument, 1000u);
        memo.Forget();
    }
}

// The early rule-out by name must never reject a field that the exact rule
// (GetFullPath of folder\field, lstrcmpA against the document) accepts, nor
// the scan (its search and its check of the lines found, on every path) a line
// holding that field. Each
// document here is itself the resolution of a random field, so acceptances
// are plentiful, and the fields tried against it are its variants: other
// case, trailing dots and blanks, a control character, a hyphen, double-byte
// characters (with '\' as trail byte), device names, other separators.
TEST(FileFieldMemoTest, RuleOutByNameNeverRejectsWhatResolutionAccepts)
{
    const std::vector<std::string> pieces = {
        "a",   "b",  "A",   "foo", "Foo", ".c",   ".h",     ".",    "..",      "/",     "\\",   "\\",  "/",
        "-",   "_",  " ",   "\x01", "\x7f", "\x95\x5C" /* 表 */, "\x83\x5C" /* ソ */,     "\x81", "\xF0\x5C",
        "con", "COM1", "nul.txt", "x:", "~1", "1", "\x82\xA0" /* あ */, "\x82\x81" /* ａ */,
    };
    const std::vector<std::string> folders = {"C:\\proj", "T:", "C:\\\x95\x5C", "C:\\a\x83\x5C\\b", "C:\\p\x81"};
    std::mt19937 random(7);
    const auto randomField = [&] {
        std::string field;
        for (int n = 1 + static_cast<int>(random() % 6); n > 0; --n) field += pieces[random() % pieces.size()];
        return field;
    };

    std::string filler;
    for (int i = 0; i < 6; ++i) filler += "f" + std::to_string(i) + "\tother/sub/z.c\t/^int f;$/;\"\tv\n";
    size_t accepted = 0, resolved = 0, decided = 0, filtered = 0;
    for (int round = 0; round < 300; ++round) {
        const std::string folder = folders[random() % folders.size()];
        // Short fields, and long ones whose last separator may or may not lie
        // among their last 16 bytes.
        const std::string prefixes[] = {"", "src/", "source/library/module/"};
        const std::string base = prefixes[random() % 3] + randomField() + (random() % 2 ? ".c" : "");
        const velkin::CowString document = velkin::GetFullPath<velkin::CowString>((folder + "\\" + base).c_str());
        if (document.IsEmpty()) continue;
        // The document's own full path, also with '/' and without its drive.
        std::string slashed = document.Text();
        for (char& c : slashed) c = c == '\\' ? '/' : c;
        std::vector<std::string> fields = {base,          base + ".",         base + " ",   "./" + base,
                                           "x/../" + base, base + "\\.",     base + ". /.", base + "/sub/..",
                                           "C:" + base,    "sub/" + base + "\\x\\..", document.Text(),
                                           document.Text() + 2, slashed};
        std::string upper = base;
        for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        fields.push_back(upper);
        for (int i = 0; i < 20; ++i) {
            std::string variant = base;
            variant.insert(random() % (variant.size() + 1), pieces[random() % pieces.size()]);
            fields.push_back(variant);
            fields.push_back(randomField());
        }
        velkin::FileFieldMemo memo(document, folder.c_str());
        filtered += !memo.LineFilterName().IsEmpty();
        for (const std::string& field : fields) {
            const bool expected = Resolves(folder, field, document.Text());
            ASSERT_EQ(expected, memo.IsInDocument(field.data(), field.data() + field.size()))
                << "folder " << folder << ", field " << field << ", document " << document.Text();
            // The scan that ships, on every path, with the line amid others
            // so that the search (not the reading of the data's first and
            // last lines) meets it.
            const std::string line = "name\t" + field + "\t1;\"\tf\taccess:public\n";
            const std::string data = filler + line + filler;
            ASSERT_EQ(expected, !Scan(data, {"", document.Text(), folder}).inDocument.empty())
                << "folder " << folder << ", field " << field << ", document " << document.Text();
            accepted += expected;
            ++decided;
        }
        resolved += memo.ResolvedCount();
    }
    EXPECT_GT(accepted, 300u);
    EXPECT_LT(resolved, decided);  // the rule-out does settle fields
    EXPECT_GT(filtered, 50u);      // and the line filter applies
}

// Which document names let a scan pass over lines of printable ASCII.
TEST(FileFieldMemoTest, LinesAreFilteredByPrintableNamesAndNamesWithNonLatinLetters)
{
    const struct {
        const char* document;
        const char* folder;
        const char* filterName;
        const char* ownFolder = "";   // the tags file's own, when it was found from `folder`
    } cases[] = {
        {"C:\\proj\\main.c", "C:\\proj", "main.c"},
        {"C:\\proj\\\x93\xfa\x96\x7b.c" /* 日本.c */, "C:\\proj", "\x93\xfa\x96\x7b.c"},
        {"C:\\proj\\\x83\x66\x81\x5B\x83\x5E.h" /* データ.h */, "C:\\proj", "\x83\x66\x81\x5B\x83\x5E.h"},
        {"C:\\proj\\\x95\x5C" /* 表: '\\' as trail byte */, "C:\\proj", "\x95\x5C"},
        {"C:\\proj\\\xB1\x84\x40.c" /* ｱА.c: half-width kana, Cyrillic */, "C:\\proj", "\xB1\x84\x40.c"},
        {"C:\\proj\\\x82\x81.c" /* ａ.c: full-width only */, "C:\\proj", ""},
        {"C:\\proj\\\x93\xfa." /* a trailing dot, which resolution trims */, "C:\\proj", ""},
        {"C:\\proj\\\x93\xfa\x01.c" /* a control character */, "C:\\proj", ""},
        {"C:\\\x93\xfa\\\x93\xfa" /* a component of the folder */, "C:\\\x93\xfa", ""},
        {"C:\\proj\\\x93\xfa\\\x93\xfa.c" /* not the folder's name */, "C:\\proj\\\x93\xfa", "\x93\xfa.c"},
        {"C:\\proj\\src\\x", "C:\\proj", "x", "C:\\proj\\.git"},
        {"C:\\proj\\src\\x", "C:\\proj", "", "C:\\proj\\x\\.git"},   // a component of the own folder
        {"C:\\proj\\src\\x", "C:\\proj", "", "C:\\proj\\\x93"},     // which ends in a lead byte
    };
    for (const auto& c : cases) {
        const velkin::FileFieldMemo memo(c.document, c.folder, c.ownFolder);
        EXPECT_STREQ(c.filterName, memo.LineFilterName().Text()) << c.document;
    }
}

// A document named with a kanji, over lines whose file fields are UTF-8 (as
// ctags writes them today) or Shift-JIS: its lines are found on every path
// while the search passes over other lines past ASCII by the kanji's bytes.
TEST(FileFieldMemoTest, AKanjiInTheNameFindsItsLinesInUtf8AndShiftJisAlike)
{
    const std::string document = Sjis("C:\\proj\\資料\\計算.c");
    const std::string utf8 = "\xE8\xB3\x87\xE6\x96\x99/\xE8\xA8\x88\xE7\xAE\x97.c";   // 資料/計算.c
    const std::string other = "\xE8\xB3\x87\xE6\x96\x99/\xE5\x90\x88\xE8\xA8\x88.c";   // 資料/合計.c
    const velkin::FileFieldMemo memo(document.c_str(), "C:\\proj");
    const velkin::FileFieldMemo::Anchor& anchor = memo.LineFilterAnchor();
    ASSERT_TRUE(anchor.set);
    EXPECT_EQ(Sjis("計"), std::string(anchor.ansi, 2));
    EXPECT_EQ("\xE8\xA8\x88", std::string(anchor.utf8, 3));
    // Under 932 a kanji without a character of its own weight anchors; kana do not.
    EXPECT_FALSE(velkin::FileFieldMemo(Sjis("C:\\proj\\てすと.c").c_str(), "C:\\proj").LineFilterAnchor().set);

    std::string filler;
    for (int i = 0; i < 40; ++i) filler += "f" + std::to_string(i) + "\t" + other + "\t/^int f;$/;\"\tv\n";
    const std::string data = filler + "a\t" + utf8 + "\t1;\"\tf\n" + filler + "b\t" + Sjis("資料\\計算.c") +
                             "\t2;\"\tf\n" + filler + "c\t" + other + "\t3;\"\tf\n" + "d\t./" + utf8 + "\t4;\"\tf\n" + filler;
    const scannertest::Lists lists = Scan(data, {"", document, "C:\\proj"});
    std::string names;
    for (const scannertest::Record& record : lists.inDocument) names += record.name;
    EXPECT_EQ("abd", names);
}

// Fields that differ from a plain document name in their own plain name are
// settled without resolving a single path.
TEST(FileFieldMemoTest, PlainFieldsOfOtherNamesAreNotResolved)
{
    velkin::FileFieldMemo memo("C:\\proj\\src\\foo.c", "C:\\proj");
    for (int i = 0; i < 1000; ++i) {
        const std::string field = "src/sub-dir/file_" + std::to_string(i) + ".cpp";
        EXPECT_FALSE(memo.IsInDocument(field.data(), field.data() + field.size()));
    }
    EXPECT_EQ(0u, memo.ResolvedCount());
    const std::string same = "src/foo.c";
    EXPECT_TRUE(memo.IsInDocument(same.data(), same.data() + same.size()));
    EXPECT_EQ(1u, memo.ResolvedCount());
}

// The name bytes beside the edges of the plain classes, in short fields
// (classified byte by byte) and long ones (32 bytes at a time): a name of
// plain bytes is settled without resolving, any other byte makes it resolved.
TEST(FileFieldMemoTest, PlainNameBytesEndExactlyAtTheirRangesEdges)
{
    velkin::FileFieldMemo memo("C:\\proj\\src\\foo.c", "C:\\proj");
    std::vector<std::string> fields;  // the memo reads the last field in place
    fields.reserve(64);
    for (const std::string folder : {"src/", "source/library/module/long/"}) {
        for (const char byte : ":@[`{\x7F\x80\xA1-09AZaz_"s) {
            const bool plain = std::string("09AZaz_").find(byte) != std::string::npos;
            const std::string& field = fields.emplace_back(folder + "na" + byte + "me.c");
            const size_t before = memo.ResolvedCount();
            EXPECT_FALSE(memo.IsInDocument(field.data(), field.data() + field.size())) << field;
            EXPECT_EQ(plain ? 0u : 1u, memo.ResolvedCount() - before) << field;
        }
    }
}

// Past either cap (distinct fields, key bytes) the memo remembers no new
// field, so those are resolved again when they recur; every answer stays
// right. The document's name is not plain: no field is settled by its name.
TEST(FileFieldMemoTest, PastItsCapsTheMemoResolvesNewFieldsAgainAndStaysRight)
{
    const struct {
        int fields;
        size_t padding;  // long fields reach the key-byte cap first
    } caps[] = {{300000, 0}, {100000, 180}};
    for (const auto& cap : caps) {
        std::string fields;  // even ones name the document, odd ones another file
        std::vector<size_t> ends;
        for (int i = 0; i < cap.fields; ++i) {
            fields += "src/" + std::string(cap.padding, 'p') + std::to_string(i) + (i % 2 ? "/foo-bar.c" : "/../foo-bar.c");
            ends.push_back(fields.size());
        }
        velkin::FileFieldMemo memo("C:\\proj\\src\\foo-bar.c", "C:\\proj");
        for (int pass = 0; pass < 2; ++pass) {
            for (int i = 0; i < cap.fields; ++i) {
                const char* field = fields.data() + (i == 0 ? 0 : ends[i - 1]);
                ASSERT_EQ(i % 2 == 0, memo.IsInDocument(field, fields.data() + ends[i])) << i;
            }
        }
        const size_t resolvedAgain = memo.ResolvedCount() - cap.fields;
        EXPECT_GT(resolvedAgain, 0u) << cap.fields;
        EXPECT_LT(resolvedAgain, static_cast<size_t>(cap.fields) / 2) << cap.fields;
    }
}

// A scanner forgets the bytes of one block before the next: these may lie at
// the same address once the first view is released and another mapped.
TEST(FileFieldMemoTest, ASecondScanTrustsNothingOfTheFirstScansBytes)
{
    std::string block = "a\tsrc/foo.c\t1;\"\tv\n";
    velkin::TagMatchLists lists;
    velkin::TagScanner scanner({"", "C:\\proj\\src\\foo.c", "C:\\proj"}, lists);
    scanner.Scan(block.data(), block.data() + block.size());
    block.replace(block.find("foo"), 3, "bar");
    scanner.Scan(block.data(), block.data() + block.size());
    ASSERT_EQ(1u, lists.inDocument.size());
    EXPECT_EQ("src/foo.c", Str(lists.inDocument[0].file));
}

}  // namespace
