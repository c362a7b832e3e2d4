// The line grammar, one line (or a few) at a time: text -> records per list.
// The document is C:\proj\src\foo.c, the tags folder C:\proj.
#include <gtest/gtest.h>

#include "tags/ScannerTestSupport.h"
#include "tags/LineGrammar.h"

using namespace scannertest;

namespace {

using namespace std::string_literals;

struct GrammarCase {
    const char* what;
    std::string data;
    std::string word;
    Records exact, prefix, inDocument;
};

const Record kFooLine{"Foo", "x.c", "1", 'f', ""};

const GrammarCase kGrammarCases[] = {
    {"all fields, CR LF", "Foo\tsrc\\foo.c\t42;\"\tf\tclass:Bar\taccess:public\r\n", "Foo",
     {{"Foo", "src\\foo.c", "42", 'f', "class:Bar\taccess:public"}},
     {{"Foo", "src\\foo.c", "42", 'f', "class:Bar\taccess:public"}},
     {{"Foo", "src\\foo.c", "42", 'f', "class:Bar\taccess:public"}}},
    {"search pattern kept whole", "Foo\tx.c\t/^int Foo(void)$/;\"\tf\n", "Foo",
     {{"Foo", "x.c", "/^int Foo(void)$/", 'f', ""}}, {{"Foo", "x.c", "/^int Foo(void)$/", 'f', ""}}, {}},
    {"names against the word Set", "Set\tx.c\t1;\"\tf\nSetValue\tx.c\t2;\"\tf\nset\tx.c\t3;\"\tf\n"
     "Se\tx.c\t4;\"\tf\nResetAll\tx.c\t5;\"\tf\n", "Set",
     {{"Set", "x.c", "1", 'f', ""}}, {{"Set", "x.c", "1", 'f', ""}, {"SetValue", "x.c", "2", 'f', ""}}, {}},
    {"file order kept in every list", "Fooz\tsrc/foo.c\t1;\"\tf\nFoo\ty.c\t2;\"\tf\nFoo\tsrc/foo.c\t3;\"\tf\n", "Foo",
     {{"Foo", "y.c", "2", 'f', ""}, {"Foo", "src/foo.c", "3", 'f', ""}},
     {{"Fooz", "src/foo.c", "1", 'f', ""}, {"Foo", "y.c", "2", 'f', ""}, {"Foo", "src/foo.c", "3", 'f', ""}},
     {{"Fooz", "src/foo.c", "1", 'f', ""}, {"Foo", "src/foo.c", "3", 'f', ""}}},
    {"empty word: document tags only", "Foo\tsrc\\foo.c\t1;\"\tf\nFoo\tx.c\t2;\"\tf\n\tsrc\\foo.c\t3;\"\tv\n", "",
     {}, {}, {{"Foo", "src\\foo.c", "1", 'f', ""}, {"", "src\\foo.c", "3", 'v', ""}}},
    {"pseudo-tag line of the document", "!Foo\tsrc\\foo.c\t1;\"\tf\n!\tsrc\\foo.c\t1;\"\tf\n", "", {}, {}, {}},
    {"old format, no terminator", "Foo\tsrc\\foo.c\t42\n", "Foo", {}, {}, {}},
    {"no tab after the terminator", "Foo\tx.c\t1;\"\nFoo\tx.c\t1;\" f\r\nFoo\tx.c\t1;\"", "Foo", {}, {}, {}},
    {"no tabs, one tab", "Foo\nFoo\tx.c\n", "Foo", {}, {}, {}},
    {"semicolon without quote, quote on the next line", "Foo\tx.c\t1;\n\"\tf\nFoo\tx.c\t1; \"\tf\n", "Foo", {}, {}, {}},
    {"tab inside the address", "Foo\tx.c\t/^a\tb$/;\"\tf\n", "Foo",
     {{"Foo", "x.c", "/^a\tb$/", 'f', ""}}, {{"Foo", "x.c", "/^a\tb$/", 'f', ""}}, {}},
    {"first terminator cuts the address", "Foo\tx.c\t/^a;\"b$/;\"\tf\n", "Foo",
     {{"Foo", "x.c", "/^a", 'f', ""}}, {{"Foo", "x.c", "/^a", 'f', ""}}, {}},
    {"semicolons before the terminator", "Foo\tx.c\t/;;\"\tf\n", "Foo",
     {{"Foo", "x.c", "/;", 'f', ""}}, {{"Foo", "x.c", "/;", 'f', ""}}, {}},
    {"bytes between terminator and kind tab", "Foo\tx.c\t1;\"junk\tv\n", "Foo",
     {{"Foo", "x.c", "1", 'v', ""}}, {{"Foo", "x.c", "1", 'v', ""}}, {}},
    {"long kind field", "Foo\tx.c\t1;\"\tfunction\tline:3\n", "Foo",
     {{"Foo", "x.c", "1", 'f', "line:3"}}, {{"Foo", "x.c", "1", 'f', "line:3"}}, {}},
    {"empty kind field, CR", "Foo\tx.c\t1;\"\t\r\n", "Foo",
     {{"Foo", "x.c", "1", '\r', ""}}, {{"Foo", "x.c", "1", '\r', ""}}, {}},
    {"empty kind field, LF", "Foo\tx.c\t1;\"\t\n", "Foo",
     {{"Foo", "x.c", "1", '\n', ""}}, {{"Foo", "x.c", "1", '\n', ""}}, {}},
    {"empty kind field, fields follow", "Foo\tx.c\t1;\"\t\tclass:A\n", "Foo",
     {{"Foo", "x.c", "1", '\t', "class:A"}}, {{"Foo", "x.c", "1", '\t', "class:A"}}, {}},
    {"kind tab ends the data", "Foo\tx.c\t1;\"\t", "Foo",
     {{"Foo", "x.c", "1", '\0', ""}}, {{"Foo", "x.c", "1", '\0', ""}}, {}},
    {"empty extension fields", "Foo\tx.c\t1;\"\tf\t\r\n", "Foo", {kFooLine}, {kFooLine}, {}},
    {"zero bytes are data", "Fo\0o\tx\0.c\t1\0;\"\t\0\tz\0\n"s, "Fo",
     {}, {{"Fo\0o"s, "x\0.c"s, "1\0"s, '\0', "z\0"s}}, {}},
    {"empty name and file", "\t\t1;\"\tf\nFoo\t\t1;\"\tf\n", "Foo",
     {{"Foo", "", "1", 'f', ""}}, {{"Foo", "", "1", 'f', ""}}, {}},
    {"letter case of the path", "Foo\tsrc\\Foo.c\t1;\"\tf\n", "", {}, {}, {}},
    {"full, rooted and network file fields",
     "A\tC:\\proj\\src\\foo.c\t1;\"\tf\nB\tC:/proj/src/foo.c\t2;\"\tf\nC\t\\proj\\src\\foo.c\t3;\"\tf\n"
     "D\t/proj/src/foo.c\t4;\"\tf\nE\tD:\\proj\\src\\foo.c\t5;\"\tf\nF\t\\src\\foo.c\t6;\"\tf\n"
     "G\t\\\\host\\proj\\src\\foo.c\t7;\"\tf\nH\tC:proj\\src\\foo.c\t8;\"\tf\n", "",
     {}, {},
     {{"A", "C:\\proj\\src\\foo.c", "1", 'f', ""}, {"B", "C:/proj/src/foo.c", "2", 'f', ""},
      {"C", "\\proj\\src\\foo.c", "3", 'f', ""}, {"D", "/proj/src/foo.c", "4", 'f', ""}}},
    {"fields resolving to the document",
     "A\t.\\src\\foo.c\t1;\"\tf\nB\tsrc\\sub\\..\\foo.c\t2;\"\tf\nC\tsrc/foo.c\t3;\"\tf\nD\tsrc/./foo.c\t4;\"\tf\n", "",
     {}, {},
     {{"A", ".\\src\\foo.c", "1", 'f', ""}, {"B", "src\\sub\\..\\foo.c", "2", 'f', ""},
      {"C", "src/foo.c", "3", 'f', ""}, {"D", "src/./foo.c", "4", 'f', ""}}},
};

TEST(LineGrammarTest, LineTextGivesRecordsPerList)
{
    for (const GrammarCase& test : kGrammarCases) {
        ScanSettings settings;
        settings.word = test.word;
        SCOPED_TRACE(test.what);
        ExpectSameLists({test.exact, test.prefix, test.inDocument}, Scan(test.data, settings), test.data);
    }
}

// A document's language and a tag's decide whether a name of another case
// matches: each language that ignores case by its extension (or the tag's by
// its language: field), against tags and documents of languages that do not.
// The line stands among others, so that the search finds it in its chunks.
TEST(LineGrammarTest, NamesOfAnotherCaseMatchBetweenLanguagesThatIgnoreCase)
{
    enum Match { none, prefix, exact };
    const struct {
        const char* document;
        const char* word;
        std::string line;
        Match match;
    } cases[] = {
        {"counter.vhd", "COUNTER", "counter\tsrc/counter.vhd\t4;\"\te", exact},
        {"top.vhdl", "counter", "COUNTER_MAX\tpkg.vhd\t1;\"\tc", prefix},
        {"report.sql", "getorders", "GetOrders\torders.sql\t3;\"\tp", exact},
        {"main.f90", "compute_sum", "Compute_Sum\tsum.F\t1;\"\ts", exact},
        {"unit1.pas", "tform1", "TForm1\tunit1.pas\t1;\"\tc", exact},
        {"main.adb", "put_line", "Put_Line\tio.ads\t1;\"\tR", exact},
        {"game.bas", "main", "MAIN\tgame.bi\t1;\"\tf", exact},
        {"build.ps1", "getitem", "GetItem\tlib.psm1\t1;\"\tf", exact},
        {"run.bat", "START", "start\trun.cmd\t1;\"\tl", exact},
        {"pay.cbl", "payroll", "PAYROLL\tpay.cob\t1;\"\tP", exact},
        {"account.e", "deposit", "DEPOSIT\taccount.e\t1;\"\tf", exact},
        {"tool.rexx", "main", "Main\ttool.rx\t1;\"\ts", exact},
        {"gui.au3", "myfunc", "MyFunc\tgui.au3\t1;\"\tf", exact},
        {"geo.lisp", "square", "SQUARE\tgeo.cl\t1;\"\tf", exact},
        {"page.asp", "getname", "GetName\tpage.asa\t1;\"\tf", exact},
        {"report.sql", "counter", "Counter\tcounter.vhd\t4;\"\te", exact},  // another language that ignores case
        {"counter.vhd", "counter", "Counter\tgen/made.txt\t1;\"\te\tlanguage:VHDL", exact},
        {"counter.vhd", "counter", "Counter\tgen/made.vhd\t1;\"\tf\tlanguage:C", none},
        {"main.c", "counter", "Counter\tcounter.vhd\t4;\"\te", none},
        {"README", "counter", "Counter\tcounter.vhd\t4;\"\te", none},
        {"counter.vhd", "counter", "Counter\tcounter.c\t1;\"\tf", none},
        {"counter.vhd", "Counter", "Counter\tcounter.c\t1;\"\tf", exact},  // byte for byte, whatever the language
        {"counter.vhd", "Count", "Counter\tcounter.c\t1;\"\tf", prefix},
        {"a.vhd", "a_b", "A_B\ta.vhd\t1;\"\te", exact},
        {"a.vhd", "a_b", "A\x7F" "B\ta.vhd\t1;\"\te", none},  // '_' and DEL differ in the bit of case
        {"a.vhd", "_x", "\x7FX\ta.vhd\t1;\"\te", none},
        {"a.vhd", "x_", "X\x7F\ta.vhd\t1;\"\te", none},
        {"a.vhd", "ab1", "AB\x11\ta.vhd\t1;\"\te", none},  // a digit and a control byte too
        {"a.vhd", "abc", "ABC\xC3\xA9\ta.vhd\t1;\"\te", prefix},
        {"a.vhd", "ab", "A\xC2\ta.vhd\t1;\"\te", none},  // a byte past ASCII is never a letter's other case
    };
    std::string filler;
    for (int i = 0; i < 6; ++i) filler += "filler" + std::to_string(i) + "\tsrc/filler.c\t/^int filler;$/;\"\tv\n";
    for (const auto& c : cases) {
        ScanSettings settings;
        settings.word = c.word;
        settings.documentPath = std::string("C:\\proj\\src\\") + c.document;
        const std::string data = filler + c.line + "\n" + filler;
        const Lists lists = Scan(data, settings);
        EXPECT_EQ(c.match == exact ? 1u : 0u, lists.exact.size()) << c.document << " " << c.word << " " << c.line;
        EXPECT_EQ(c.match == none ? 0u : 1u, lists.prefix.size()) << c.document << " " << c.word << " " << c.line;
        ExpectSameLists(ReadReference(data, settings), lists, data);
    }
}

// An empty kind field takes the byte that ends its line: alike for comparison.
Lists WithLineEndKindsAlike(Lists lists)
{
    for (Records* list : {&lists.exact, &lists.prefix, &lists.inDocument}) {
        for (Record& record : *list) {
            if (record.kind == '\r' || record.kind == '\n' || record.kind == '\0') record.kind = '\n';
        }
    }
    return lists;
}

TEST(LineGrammarTest, LineEndsAndBlankLinesGiveTheSameRecords)
{
    const char* lines[] = {"Foo\tsrc/foo.c\t/^a\tb$/;\"\tf\tclass:A\taccess:public", "Fooz\tx.c\t2;\"\tv",
                           "Foo\tx.c\t3;\"\t", "!Foo\tx.c\t4;\"\tf", "Foo\tsrc\\foo.c\t5;\"\tm\t"};
    const char* separators[] = {"\n", "\r\n", "\r", "\n\r", "\r\n\r\n\n", "\n\n\n"};
    ScanSettings settings;
    settings.word = "Foo";
    const Lists expected = WithLineEndKindsAlike(Scan(std::string(lines[0]) + "\n" + lines[1] + "\n" + lines[2] +
                                                      "\n" + lines[4] + "\n", settings));
    ASSERT_EQ(3u, expected.exact.size());
    ASSERT_EQ(2u, expected.inDocument.size());
    for (const char* separator : separators) {
        for (const bool finalLineEnd : {true, false}) {
            std::string data = separator;  // blank lines before the first line too
            for (const char* line : lines) data += line + std::string(separator);
            if (!finalLineEnd) data.resize(data.find_last_not_of("\r\n") + 1);
            ExpectSameLists(expected, WithLineEndKindsAlike(Scan(data, settings)), data);
        }
    }
}

// The search reads 64-byte chunks: lines that concern the scan at every
// offset in a chunk, and up to the end of the data, where it stops reading
// chunks, are found as the grammar says.
TEST(LineGrammarTest, LinesAreFoundAtEveryOffset)
{
    const std::string lines[] = {
        "Foo\tx.c\t1;\"\tf\n",                   // the word
        "a\tsrc\\foo.c\t2;\"\tv\r\n",           // the document by its name
        "b\tsrc\\\x95\x5C\\..\\foo.c\t3;\"\tv\r",  // the document, with a double-byte folder
        "Fo\tfoo.cc\t4;\"\tf\n",                 // neither
    };
    const std::string filler = "zz\tother.c\t/^int zz;$/;\"\tv\n";
    ScanSettings settings;
    settings.word = "Foo";
    for (const std::string& line : lines) {
        for (size_t offset = 0; offset < 130; ++offset) {
            const std::string head = filler + std::string(offset, '-') + "\n" + line;
            for (const std::string& data : {head + filler + filler + filler + filler, head + filler.substr(0, offset % 70)}) {
                ExpectSameLists(ReadReference(data, settings), Scan(data, settings), data);
            }
        }
    }
}

// A document in the tags folder named like a kind (m, for members): the kind
// fields of other lines ("\tm\t") look like its file field to the search,
// which tells them apart by the tab before them, however far back it lies.
// Its own lines are found wherever they fall, one whose name ends in ;" too.
TEST(LineGrammarTest, KindFieldsNamedLikeTheDocumentAreNoFileFields)
{
    ScanSettings settings;
    settings.documentPath = "C:\\proj\\m";
    const std::string lines[] = {"a\tm\t1;\"\tm\tclass:A\n", "b;\"\tm\t2;\"\tm\tline:2\r\n"};
    for (size_t address = 0; address < 300; address += 13) {
        const std::string kindLine = "k\tx.c\t/^" + std::string(address, 'p') + "$/;\"\tm\tclass:B\n";
        for (const std::string& line : lines) {
            // The data ends at the page's end: the filler after the lines moves them in their chunks.
            for (size_t offset = 0; offset < 64; ++offset) {
                const std::string data = kindLine + line + kindLine + kindLine + std::string(offset, '-');
                const Lists lists = Scan(data, settings);
                EXPECT_EQ(1u, lists.inDocument.size()) << data;
                ExpectSameLists(ReadReference(data, settings), lists, data);
            }
        }
    }
}

// The data's end, and the end of a first block (a window's end), at every
// offset in a 64-byte chunk, with a word line and a document line in the last
// bytes and, past the end, readable bytes that would change the lists if read.
TEST(LineGrammarTest, DataAndWindowEndsAtEveryOffsetOfAChunk)
{
    const std::string wordLine = "Foo\tx.c\t1;\"\tf\n";
    const std::string documentLine = "a\tsrc\\foo.c\t2;\"\tv";
    std::string data;
    for (int i = 0; i < 8; ++i) data += "zz" + std::to_string(i) + "\tother.c\t/^int zz;$/;\"\tv\n";
    data += wordLine + documentLine;
    const std::string tempting = "\tclass:Y\nFoo\tsrc\\foo.c\t3;\"\tf\n" + std::string(64, 'x');
    ScanSettings settings;
    settings.word = "Foo";
    const Lists expected = ReadReference(data, settings);
    ASSERT_EQ(1u, expected.exact.size());
    ASSERT_EQ(1u, expected.inDocument.size());
    for (size_t beyond = 0; beyond < 64; ++beyond) {
        for (const size_t split : {size_t(0), data.size() - documentLine.size() - wordLine.size(),
                                   data.size() - documentLine.size()}) {
            ExpectSameLists(expected, Scan(data, settings, tempting.substr(0, beyond), split),
                            std::to_string(beyond) + " bytes beyond, split at " + std::to_string(split));
        }
    }
    // The search reads past the name by a byte: a document name of every
    // length up to a chunk's, its line last before the inaccessible page.
    for (size_t length = 1; length <= 64; ++length) {
        const std::string name = std::string(length - 1, 'n') + "e";
        ScanSettings named;
        named.documentPath = "C:\\proj\\" + name;
        const std::string lines = data + "\nb\t" + name + "\t3;\"\tv";
        const Lists lists = Scan(lines, named);
        EXPECT_EQ(1u, lists.inDocument.size()) << name;
        ExpectSameLists(ReadReference(lines, named), lists, name);
    }
}

// Every position of the stop byte across and beyond one 16-byte block, so
// whole-block and byte-by-byte searches are both covered.
TEST(LineOperationsTest, FindTheFirstStopByteAtEveryPosition)
{
    for (size_t length = 0; length <= 40; ++length) {
        std::string text(length, 'a');
        const GuardedBytes plain(text);
        EXPECT_EQ(nullptr, velkin::NextTab(plain.begin(), plain.end()));
        EXPECT_EQ(nullptr, velkin::FindTerminator(plain.begin(), plain.end()));
        EXPECT_EQ(plain.end(), velkin::SkipLine(plain.begin(), plain.end()));
        for (size_t at = 0; at < length; ++at) {
            for (const char stop : {'\t', '\r', '\n', ';'}) {
                text[at] = stop;
                const GuardedBytes bytes(text);
                const char* found = bytes.begin() + at;
                SCOPED_TRACE(testing::Message() << "length " << length << " stop at " << at << " byte " << int(stop));
                EXPECT_EQ(stop == '\t' ? found : nullptr, velkin::NextTab(bytes.begin(), bytes.end()));
                const bool lineEnd = stop == '\r' || stop == '\n';
                EXPECT_EQ(lineEnd ? found + 1 : bytes.end(), velkin::SkipLine(bytes.begin(), bytes.end()));
                EXPECT_EQ(nullptr, velkin::FindTerminator(bytes.begin(), bytes.end()));  // no quote follows
                if (stop != ';' || at + 1 == length) continue;
                text[at + 1] = '"';
                const GuardedBytes terminated(text);
                EXPECT_EQ(terminated.begin() + at, velkin::FindTerminator(terminated.begin(), terminated.end()));
                text[at + 1] = 'a';
            }
            text[at] = 'a';
        }
    }
}

TEST(LineOperationsTest, SkipLineStepsOverEveryLineEnd)
{
    const GuardedBytes bytes(std::string("ab\r\n\r\n\ncd\n"));
    for (const int from : {0, 2, 6}) EXPECT_EQ(bytes.begin() + 7, velkin::SkipLine(bytes.begin() + from, bytes.end()));
    EXPECT_EQ(bytes.end(), velkin::SkipLine(bytes.begin() + 7, bytes.end()));
}

}  // namespace
