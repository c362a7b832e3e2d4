// The Kind column's cell for real universal-ctags output: small sources in
// each language (tests/tags/languages), tagged with the default fields and
// with --fields=+n, +K, +Z and +l, must read the same whatever the fields.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/Sjis.h"
#include "common/TestText.h"
#include "tags/CtagsTables.h"
#include "tags/TagTraits.h"
#include "tags/TagsFileLookup.h"
#include "text/Utf8ToAnsi.h"
#include "ui/KindWords.h"

namespace {

using namespace velkin;

const char* const kFieldSets[] = {"default", "n", "K", "Z", "l"};

std::string WindowsPath(std::string path)
{
    for (char& c : path) c = c == '/' ? '\\' : c;
    return "Z:" + path;
}

// Every tag of the sources of `files`, scanned as the command scans them.
TagList LanguageTags(const char* fieldSet, const std::vector<std::string>& files)
{
    const std::string folder = WindowsPath(VELKIN_LANGUAGE_TAGS_DIR);
    TagList tags;
    for (const std::string& file : files) {
        TagMatchLists lists;
        const TagQuery query{CowString(), CowString((folder + "\\src\\" + file).c_str()), CowString(folder.c_str())};
        EXPECT_TRUE(ScanTagsFile(CowString((folder + "\\tags-" + fieldSet).c_str()), query, lists)) << file;
        tags.insert(tags.end(), lists.inDocument.begin(), lists.inDocument.end());
    }
    return tags;
}

const std::vector<std::string> kSources = {
    "list.c",    "shapes.cpp", "Shapes.cs", "Counter.java", "widget.js", "shapes.ts",  "shapes.py",
    "counter.rb", "shapes.php", "shapes.go", "shapes.rs",   "Counter.pm", "shapes.lua", "build.sh",
    "schema.sql", "guide.md",  "Makefile",  "style.css",    "page.html", "Shapes.kt",  "Shapes.m",
    "plugin.vim", "velkin.el",  "Square.h",   "build.bat", "velkin.ini", "velkin.rc",  "deploy.ps1",
    "CMakeLists.txt", "package.json", "start.asm", "notes.rst", "guide-ja.md", "Shapes.mm", "velkin-dbus.xml",
    "counter.sv", "counter.vhd", "shapes.jl", "parse.y", "Circle.m", "velkin-tool", "rows.xsl",
};

// A source whose language ctags told by its "#!" line alone: only the
// language: field (+l) tells it here; otherwise it is read with C's letters.
constexpr const char* kGuessedSource = "velkin-tool";

struct Cell {
    const char* file;
    const char* name;
    const char* expected;   // UTF-8
    const char* fieldSet = nullptr;   // the one field set the row is for; null for all
};

// One or more tags of each language and the cell each shows.
const Cell kCells[] = {
    {"list.c", "RED", "ファイル内限定 列挙型 colour 列挙定数"},
    {"list.c", "colour", "ファイル内限定 列挙型"},
    {"list.c", "f", "ファイル内限定 共用体 word メンバ"},
    {"shapes.cpp", "area", "クラス geo::Circle メンバ 関数"},
    {"shapes.cpp", "radius", "ファイル内限定 クラス geo::Circle メンバ"},
    {"Shapes.cs", "Changed", "クラス Geo.Circle イベント"},
    {"Shapes.cs", "X", "構造体 Geo.Point フィールド"},
    {"Counter.java", "total", "ファイル内限定 クラス Counter フィールド"},
    {"Counter.java", "Marker", "アノテーション"},
    {"Counter.java", "demo", "パッケージ"},
    {"widget.js", "ids", "ジェネレータ"},
    {"widget.js", "size", "クラス Widget フィールド"},
    {"shapes.ts", "Size", "型エイリアス"},
    {"shapes.ts", "ORIGIN", "名前空間 Geo 定数"},
    {"shapes.py", "area", "クラス Circle メソッド"},
    {"shapes.py", "ospath", "他モジュールの名前"},
    {"counter.rb", "Tally", "モジュール"},
    {"counter.rb", "create", "クラス Tally.Counter 特異メソッド"},
    {"counter.rb", "total", "クラス Tally.Counter アクセサ"},
    {"shapes.php", "Named", "名前空間 Geo トレイト"},
    {"shapes.php", "Round", "名前空間 Geo 別名"},
    {"shapes.php", "name", "トレイト Geo\\Named 関数"},   // a backslash written twice
    {"shapes.go", "Radius", "構造体 shapes.Circle フィールド"},
    {"shapes.go", "Limit", "パッケージ shapes 定数"},
    {"shapes.rs", "Shape", "モジュール geo トレイト"},
    {"shapes.rs", "Inch", "列挙型 geo::Unit 列挙定数"},
    {"Counter.pm", "count", "サブルーチン"},
    {"Counter.pm", "STDOUT", "フォーマット"},
    {"shapes.lua", "area", "関数"},
    {"build.sh", "END", "ヒアドキュメント"},
    {"schema.sql", "id", "テーブル shapes フィールド"},
    {"schema.sql", "shape_added", "テーブル shapes トリガ"},
    {"guide.md", "Install", "章 Guide 節"},
    {"guide.md", "Issues", "節 Guide\"\"? Contributing 項"},   // an emoji the code page lacks
    {"Makefile", "all", "ターゲット"},
    {"style.css", ".picker", "クラスセレクタ"},
    {"page.html", "Velkin", "見出し1"},
    {"Shapes.kt", "count", "オブジェクト geo.Registry 定数"},
    {"Shapes.m", "Drawing", "インタフェース Circle カテゴリ"},
    {"Shapes.m", "radius", "インタフェース Circle プロパティ"},
    {"Square.h", "side", "インタフェース Square プロパティ"},   // a header ctags gave to Objective-C
    {"Square.h", "unit", "インタフェース Square クラスメソッド"},
    {"Square.h", "corners", "インタフェース Square フィールド"},
    {"Square.h", "Drawable", "プロトコル"},
    {"Square.h", "SHAPE_LIMIT", "マクロ定義"},
    {"plugin.vim", "velkin", "自動コマンドグループ"},
    {"velkin.el", "velkin-mode", "マイナーモード"},
    {"build.bat", "compile", "ラベル"},
    {"velkin.ini", "width", "セクション picker キー"},
    {"velkin.rc", "IDD_PICKER", "ダイアログ"},
    {"deploy.ps1", "Copy-Plugin", "関数"},
    {"CMakeLists.txt", "VELKIN_AVX2", "オプション"},
    {"package.json", "build", "オブジェクト scripts 文字列"},
    {"start.asm", "BUFSIZE", "定数"},
    {"start.asm", "STACK_SIZE", "ファイル内限定 マクロ定義"},   // the preprocessor's, in an assembly file
    {"notes.rst", "jump-rules", "節 Tag files リンクターゲット"},
    {"guide-ja.md", "関数ジャンプ", "章 使い方 節"},           // a UTF-8 owner in the code page
    {"widget.js", "width", "クラス Widget ゲッター"},
    {"widget.js", "height", "クラス Widget セッター"},
    {"style.css", "#title", "ID セレクタ"},
    {"page.html", "main", "ID"},
    {"Shapes.mm", "perimeter", "インタフェース Polygon メソッド"},       // Objective-C++ is Objective-C's
    {"velkin-dbus.xml", "org.velkin.Picker", "ノード /org/velkin/Picker インタフェース"},   // D-Bus's by its owner
    {"velkin-dbus.xml", "Rows", "インタフェース /org/velkin/Picker.org.velkin.Picker プロパティ"},
    {"counter.sv", "overflow_check", "モジュール counter アサーション"},
    {"counter.sv", "enable", "モジュール counter ネット"},
    {"counter.sv", "rst", "モジュール counter ポート"},
    {"counter.sv", "short_delay", "クラス driver 制約"},
    {"counter.sv", "master", "インタフェース bus_if モードポート"},
    {"counter.vhd", "tick", "アーキテクチャ counter.rtl プロセス"},
    {"counter.vhd", "WIDTH", "エンティティ counter ジェネリック"},
    {"shapes.jl", "radius", "構造体 Shapes.Circle フィールド"},
    {"shapes.jl", "twice", "マクロ定義"},
    {"parse.y", "expr", "ラベル"},
    {"Circle.m", "Circle", "クラス"},                                   // MatLab's, not a class method
    {"rows.xsl", "row", "名前付きテンプレート"},
    {"rows.xsl", "xsl", "名前空間接頭辞"},                              // XML's, in an XSLT file
    {"velkin-tool", "run", "クラス Tool メソッド", "l"},
    {"velkin-tool", "run", "クラス Tool メンバ", "default"},            // no language told: C's
};

bool IsFrom(const TagEntry& tag, const char* file)
{
    const std::string path = Str(tag.file);
    return path.size() >= std::strlen(file) && path.compare(path.size() - std::strlen(file), std::string::npos, file) == 0;
}

TEST(KindCellTest, EveryLanguagesTagsSayTheirKindAndOwnerWhateverTheFields)
{
    const KindWords words;
    std::vector<std::string> defaultCells;
    for (const char* fieldSet : kFieldSets) {
        const TagList tags = LanguageTags(fieldSet, kSources);
        ASSERT_EQ(286u, tags.size()) << fieldSet;
        std::vector<std::string> cells;
        for (const TagEntry& tag : tags) {
            const std::string cell = Str(words.Cell(tag));
            const std::string context = std::string(fieldSet) + ": " + Str(tag.name) + " in " + Str(tag.file);
            if (!IsFrom(tag, kGuessedSource)) cells.push_back(Str(tag.name) + " in " + Str(tag.file) + ": " + cell);
            EXPECT_FALSE(cell.size() == 1 && std::isalpha(static_cast<unsigned char>(cell[0]))) << context << " reads a bare letter";
            if (const TagScope scope = TagScopeOf(tag.extensionFields)) {
                const std::string_view last = scope.name.substr(scope.name.find_last_of("\\.:\" ") + 1);
                const std::string owner = Str(ShownText(CowString(last.data(), static_cast<int>(last.size()))));
                EXPECT_NE(std::string::npos, cell.find(owner)) << context << " names no owner: " << cell;
            }
            for (const Cell& expected : kCells) {
                if (expected.fieldSet && std::strcmp(expected.fieldSet, fieldSet) != 0) continue;
                if (Str(tag.name) == expected.name && IsFrom(tag, expected.file)) {
                    EXPECT_EQ(Sjis(expected.expected), cell) << context;
                }
            }
        }
        // Tags of one pattern may come in another order with line numbers.
        std::sort(cells.begin(), cells.end());
        if (defaultCells.empty()) defaultCells = cells;
        std::vector<std::string> differing;
        std::set_symmetric_difference(defaultCells.begin(), defaultCells.end(), cells.begin(), cells.end(),
                                      std::back_inserter(differing));
        for (const std::string& cell : differing)
            ADD_FAILURE() << "--fields=+" << fieldSet << " reads otherwise than the default fields: " << cell;
    }
}

// Every kind of every language ctags lists reads in words, by its letter as
// by its name: a kind the words lack would show ctags' name for it.
TEST(KindCellTest, EveryKindOfEveryLanguageHasAWord)
{
    const KindWords words;
    for (const ctags::Language& language : ctags::kLanguages) {
        const std::string field = "language:" + std::string(language.name);
        for (std::size_t k = 0; k < language.kindCount; ++k) {
            const ctags::Kind& kind = language.kinds[k];
            TagEntry entry;
            entry.file = "a";
            entry.kind = kind.letter;
            entry.extensionFields = field.c_str();
            const std::string byLetter = Str(words.Cell(entry));
            entry.kindField = CowString(kind.name.data(), static_cast<int>(kind.name.size()));
            EXPECT_NE(std::string(kind.name), byLetter) << language.name << " " << kind.letter;
            EXPECT_EQ(byLetter, Str(words.Cell(entry))) << language.name << " " << kind.name;
        }
    }
}

TEST(KindCellTest, HandWrittenLinesGiveTheirKindOrAClearBoundedCell)
{
    const std::string longText(100 * 1024, 'a');
    const std::string cutName(KindWords::kNameLimit, 'a');
    const struct {
        const char* file;
        std::string kindField;
        char kind;
        std::string fields;
        std::string expected;   // UTF-8
    } cases[] = {
        {"a.c", "", 'f', "language:\x83\xFF\x01", "f"},                // a language not listed: the letter
        {"a.sv", "", 'A', "language:MyParser", "A"},                    // a user's parser: not C's alias
        {"a.v", "assertion", 'a', "language:Newer", "assertion"},       // its kind's name as written
        {"a.zzz", "", 'f', "", "関数"},                                 // no language told: C's letters
        {"a.zzz", "", 'm', "class:A", "クラス A メンバ"},
        {"a.zzz", "", 'Q', "", "Q"},                                    // a letter no kind has stands as it is
        {"src\\Makefile", "", 'm', "", "マクロ定義"},                    // a Windows ctags' file field
        {"src\\Makefile", "", 't', "", "ターゲット"},
        {"SQUARE.H", "", 'p', "interface:Square", "インタフェース Square プロパティ"},   // a header in upper case
        {"SQUARE.H", "", 'c', "interface:Square", "インタフェース Square クラスメソッド"},
        {"CIRCLE.M", "", 'c', "", "クラス"},                            // MatLab's, in upper case too
        {"a.c", "", 'x', "", "extern 変数"},
        {"a.cpp", "", 'x', "", "extern 変数"},
        {"a.cu", "", 'f', "class:A", "クラス A メンバ 関数"},         // CUDA's members in C++'s words
        {"a.h", "", 'e', "language:ObjectiveC", "列挙定数"},             // Objective-C's "enum" tags the values
        {"Kconfig.debug", "", 'c', "", "設定項目"},                      // names ctags maps by a pattern
        {"kernel.lds.S", "", 's', "", "シンボル"},                       // not assembly's section
        {"Id.cs.in", "", 'f', "class:A", "クラス A フィールド"},          // a configure template: C#'s
        {"apt.service", "", 'k', "section:Unit", "セクション Unit キー"},  // Iniconf's, in a systemd unit
        {"lib-link.m4", "", 'm', "", "マクロ定義"},                      // Autoconf's, in M4's file
        {"a.java", "", '\x83', "", ""},                                 // a lead byte alone is no character
        {"a.c", "ab\x83", 'a', "", "ab"},                               // a name whose last character is cut
        {"a.c", longText, 'a', "", cutName},                            // a name cut at the limit
        {"a.c", "", 'm', "class:", "メンバ"},                           // an owner with no name is not said
        {"a.c", "", 'm', "scope:class:\tfile:", "ファイル内限定 メンバ"},
        {"a.c", "", 'm', "class:" + longText, "クラス " + cutName + " メンバ"},
        {"a.java", "", 'm', "line:3\tinterface:I\x01x", "インタフェース I x メソッド"},   // control bytes as blanks
        {"a.rs", "", 'P', "scope:" + longText, "メソッド"},              // a scope with no kind's name
        {"a.java", "", 'm', "class:A\\tB\\", "クラス A B\\ メソッド"},     // an escaped tab; a lone backslash stays
        {"a.s", "", 'g', "", "グローバル変数"},                          // R's letter in a ".s" file
        {"a.xml", "", 'm', "interface:/.org.Velkin", "インタフェース /.org.Velkin メソッド"},   // D-Bus's
    };
    const KindWords words;
    for (const auto& c : cases) {
        TagEntry entry;
        entry.file = c.file;
        entry.kind = c.kind;
        entry.kindField = CowString(c.kindField.data(), static_cast<int>(c.kindField.size()));
        entry.extensionFields = CowString(c.fields.data(), static_cast<int>(c.fields.size()));
        EXPECT_EQ(Sjis(c.expected), Str(words.Cell(entry))) << c.file << " " << c.kindField.substr(0, 8) << " " << c.fields.substr(0, 20);
    }
}

}  // namespace
