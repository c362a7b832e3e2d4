// The resources of the real Velkin.dll, read back raw with FindResourceEx:
// the string table, the picker's dialog template, the toolbar bitmaps and the
// version. Expected texts are written in UTF-8 and compared as Shift-JIS.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/PluginLibrary.h"
#include "host/TextCodec.h"

namespace {

using namespace velkin::sim;

constexpr WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);   // 1041

const std::map<UINT, std::string> kStrings = {
    {1, "TAGS(ctags)ジャンプ"},
    {2, "カーソル位置の単語をctagsのTAGSファイルから検索してtagsジャンプを行います\nTAGSジャンプ"},
    {3, "アンインストールしてもよろしいですか？"},
    {4, "Velkin"},
    {5, "1.0.0"},
    {6, "シンボル"},
    {500, "関数"}, {501, "クラス"}, {502, "名前空間"}, {503, "マクロ定義"}, {504, "型定義"}, {505, "構造体"},
    {506, "共用体"}, {507, "メンバ"}, {508, "列挙定数"}, {509, "変数"}, {510, "ファイル内限定 "},
    {511, "クラス %s メンバ "},
    {512, "構造体 %s メンバ"},
    {513, "%s を継承した"},
    {514, "スコープ %s の"},
    {515, "%s が開けません"},
    {516, "ファイルが開けません"},
    {517, "%s が開けません"},
    {518, "ファイルが開けません"},
    {519, "'%s' を開き '%s'に移動します。"},
    {521, "種類"},
    {522, "ファイル"},
    {523, "位置"},
    {526, "フォルダを遡っても'%s'は見つかりませんでした"},
    {527, "'%s'の位置を'%s'から探します..."},
    {529, "'%s' が '%s' に見つかりませんでした"},
    {530, "'%s' を開くことが出来ませんでした"},
    {531, "'%s' が見つかりました"},
    {532, "'%s' を含むシンボルが見つかりました"},
    {533, "適切なシンボルが見つからないので '%s' 内のシンボル一覧を表示します"},
    {534, "'%s'内に定義されたシンボルを'%s'から探します..."},
    {535, "'%s'の位置を'%s'ほか%s個のタグファイルから探します..."},
    {536, "'%s'内に定義されたシンボルを'%s'ほか%s個のタグファイルから探します..."},
    {537, "'%s' が '%s' ほか%s個のタグファイルに見つかりませんでした"},
    {538, "タグファイル"},
    {539, "%s %s "},
    {540, "別のコンピュータのファイル"},
    {541, "tags ファイルが別のコンピュータ「%s」上のファイルを指しています。\n\n%s\n\n"
          "開くと Windows がそのコンピュータに接続し、あなたのアカウントで自動的にサインインを試みます。開きますか？"},
    {542, "'%s' は開かずにジャンプをやめました"},
    {543, "ファイルではありません"},
    {544, "'%s' はファイルではなくデバイスを指しているため、開きません。"},
    {545, "'%s' を読んでいます... %s%%"},
    {546, "タグの検索を中止しました"},
    {547, "ファイル名を渡せません"},
    {548, "'%s' の名前には ANSI コード ページで表せない文字 (? で示します) があるため、エディターに渡せません。"},
};

struct Bytes {
    const BYTE* data;
    DWORD size;
};

// The raw bytes of one resource in language 1041; data is null when missing.
Bytes FindJapaneseResource(HMODULE module, LPCSTR type, UINT id)
{
    HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), kJapanese);
    if (!found) return {nullptr, 0};
    return {static_cast<const BYTE*>(LockResource(LoadResource(module, found))), SizeofResource(module, found)};
}

// Little-endian reader over one resource; throws when a read would leave it.
class ResourceReader {
public:
    explicit ResourceReader(Bytes bytes) : bytes_(bytes) {}

    WORD Word()
    {
        const BYTE* at = Take(2);
        return static_cast<WORD>(at[0] | at[1] << 8);
    }
    DWORD DWord() { const DWORD low = Word(); return low | static_cast<DWORD>(Word()) << 16; }
    short Short() { return static_cast<short>(Word()); }
    BYTE Byte() { return Take(1)[0]; }
    // A zero-terminated UTF-16 text, as Shift-JIS.
    std::string Text()
    {
        std::wstring text;
        for (WORD unit = Word(); unit != 0; unit = Word()) text += static_cast<wchar_t>(unit);
        return Narrow(text, kShiftJisCodePage);
    }
    // A dialog's "sz_Or_Ord" field: "#n" for an ordinal, else the text.
    std::string TextOrOrdinal()
    {
        if (Peek() != 0xFFFF) return Text();
        Word();
        return "#" + std::to_string(Word());
    }
    void AlignToDWord() { offset_ = (offset_ + 3) & ~DWORD{3}; }
    DWORD Offset() const { return offset_; }

private:
    WORD Peek()
    {
        const WORD value = Word();
        offset_ -= 2;
        return value;
    }
    // Advances by `count` and returns where the read began.
    const BYTE* Take(DWORD count)
    {
        if (offset_ + count > bytes_.size) throw std::out_of_range("read past the resource at " + std::to_string(offset_));
        const BYTE* at = bytes_.data + offset_;
        offset_ += count;
        return at;
    }

    Bytes bytes_;
    DWORD offset_ = 0;
};

class ResourcesTest : public testing::Test {
protected:
    // The string-table entries of one block (ids 16 × (block − 1) ...), as Shift-JIS.
    std::map<UINT, std::string> StringBlock(UINT block)
    {
        std::map<UINT, std::string> strings;
        ResourceReader reader(FindJapaneseResource(plugin.Module(), RT_STRING, block));
        for (UINT id = (block - 1) * 16; id < block * 16; ++id) {
            std::wstring text;
            for (WORD length = reader.Word(); length > 0; --length) text += static_cast<wchar_t>(reader.Word());
            if (!text.empty()) strings[id] = Narrow(text, kShiftJisCodePage);
        }
        return strings;
    }

    PluginLibrary plugin;
};

BOOL CALLBACK AddResourceId(HMODULE, LPCSTR, LPSTR name, LONG_PTR ids)
{
    if (IS_INTRESOURCE(name)) reinterpret_cast<std::vector<UINT>*>(ids)->push_back(LOWORD(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

BOOL CALLBACK AddLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR languages)
{
    reinterpret_cast<std::vector<WORD>*>(languages)->push_back(language);
    return TRUE;
}

TEST_F(ResourcesTest, StringTableHoldsExactlyTheTextsInJapanese)
{
    std::vector<UINT> blocks;
    EnumResourceNamesA(plugin.Module(), RT_STRING, AddResourceId, reinterpret_cast<LONG_PTR>(&blocks));
    std::map<UINT, std::string> found;
    for (UINT block : blocks) {
        std::vector<WORD> languages;
        EnumResourceLanguagesA(plugin.Module(), RT_STRING, MAKEINTRESOURCEA(block), AddLanguage,
                               reinterpret_cast<LONG_PTR>(&languages));
        EXPECT_EQ(std::vector<WORD>{kJapanese}, languages) << "string block " << block;
        for (const auto& entry : StringBlock(block)) found.insert(entry);
    }
    // The Kind column's words for every language (600 to 999) are Japanese texts of their own.
    for (auto word = found.lower_bound(600); word != found.end(); word = found.erase(word)) {
        EXPECT_LT(word->first, 1000u);
        EXPECT_FALSE(word->second.empty());
    }
    std::map<UINT, std::string> expected;
    for (const auto& entry : kStrings) expected[entry.first] = Utf8ToShiftJis(entry.second);
    EXPECT_EQ(expected, found);
    // LoadStringA hands the same bytes out under code page 932.
    for (const auto& entry : expected) EXPECT_EQ(entry.second, plugin.LoadText(entry.first)) << entry.first;
}

TEST_F(ResourcesTest, PickerDialogTemplate)
{
    const Bytes bytes = FindJapaneseResource(plugin.Module(), RT_DIALOG, 103);
    ASSERT_NE(nullptr, bytes.data);
    ResourceReader dialog(bytes);
    EXPECT_EQ(1, dialog.Word()) << "version";
    EXPECT_EQ(0xFFFF, dialog.Word()) << "extended-template signature";
    EXPECT_EQ(0u, dialog.DWord()) << "help id";
    EXPECT_EQ(0u, dialog.DWord()) << "extended style";
    EXPECT_EQ(0x80CC00CAu, dialog.DWord()) << "style";
    EXPECT_EQ(1, dialog.Word()) << "controls";
    EXPECT_EQ((std::vector<short>{0, 0, 422, 153}),
              (std::vector<short>{dialog.Short(), dialog.Short(), dialog.Short(), dialog.Short()}));
    EXPECT_EQ("", dialog.TextOrOrdinal()) << "menu";
    EXPECT_EQ("", dialog.TextOrOrdinal()) << "window class";
    EXPECT_EQ(Utf8ToShiftJis("TAGSの検索結果"), dialog.Text());
    EXPECT_EQ(8, dialog.Word()) << "point size";
    EXPECT_EQ(400, dialog.Word()) << "weight";
    EXPECT_EQ(0, dialog.Byte()) << "italic";
    EXPECT_EQ(1, dialog.Byte()) << "character set";
    EXPECT_EQ("MS Shell Dlg", dialog.Text());

    dialog.AlignToDWord();
    EXPECT_EQ(0u, dialog.DWord()) << "control help id";
    EXPECT_EQ(0u, dialog.DWord()) << "control extended style";
    EXPECT_EQ(0x5081190Du, dialog.DWord()) << "control style (owner data)";
    EXPECT_EQ((std::vector<short>{3, 1, 397, 117}),
              (std::vector<short>{dialog.Short(), dialog.Short(), dialog.Short(), dialog.Short()}));
    EXPECT_EQ(1001u, dialog.DWord()) << "control id";
    EXPECT_EQ("SysListView32", dialog.TextOrOrdinal()) << "control class";
    EXPECT_EQ("", dialog.TextOrOrdinal()) << "control title";
    EXPECT_EQ(0, dialog.Word()) << "creation data";
    EXPECT_LT(bytes.size - dialog.Offset(), 4u) << "bytes after the one control";
}

TEST_F(ResourcesTest, ToolbarBitmapsAre8BitsPerPixel)
{
    struct Case { UINT id; LONG side; };
    for (const Case& c : {Case{101, 16}, Case{102, 24}}) {
        const Bytes bytes = FindJapaneseResource(plugin.Module(), RT_BITMAP, c.id);
        ASSERT_GE(bytes.size, sizeof(BITMAPINFOHEADER)) << c.id;
        BITMAPINFOHEADER header;
        std::memcpy(&header, bytes.data, sizeof header);
        EXPECT_EQ(sizeof header, header.biSize) << c.id;
        EXPECT_EQ(c.side, header.biWidth) << c.id;
        EXPECT_EQ(c.side, std::abs(header.biHeight)) << c.id;
        EXPECT_EQ(1, header.biPlanes) << c.id;
        EXPECT_EQ(8, header.biBitCount) << c.id;
    }
}

TEST_F(ResourcesTest, VersionIsOneZeroZeroAndAgreesWithString5)
{
    const Bytes bytes = FindJapaneseResource(plugin.Module(), RT_VERSION, 1);
    ASSERT_NE(nullptr, bytes.data);
    std::vector<BYTE> block(bytes.data, bytes.data + bytes.size);   // VerQueryValue wants its own copy
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
    ASSERT_EQ(sizeof *fixed, size);
    EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
    const std::vector<DWORD> version{0x00010000u, 0u};
    EXPECT_EQ(version, (std::vector<DWORD>{fixed->dwFileVersionMS, fixed->dwFileVersionLS}));
    EXPECT_EQ(version, (std::vector<DWORD>{fixed->dwProductVersionMS, fixed->dwProductVersionLS}));

    const std::string numbers = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(numbers, StringBlock(1).at(5));
    for (const wchar_t* key : {L"\\StringFileInfo\\041103a4\\FileVersion", L"\\StringFileInfo\\041103a4\\ProductVersion"}) {
        wchar_t* text = nullptr;
        ASSERT_TRUE(VerQueryValueW(block.data(), key, reinterpret_cast<void**>(&text), &size));
        EXPECT_EQ(numbers, Narrow(text, kShiftJisCodePage));
    }
}

}  // namespace
