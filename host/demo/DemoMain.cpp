// velkin_demo: the real plug-in loaded into the simulated editor, running its
// command as a user would and printing what the user would see: each status
// text, the tag list when it opens, the row picked, and where the caret lands.
// Texts go out as UTF-8 so a Linux terminal shows them.
//
//   velkin_demo --identity
//       the plug-in's name, version, menu and status texts, bitmaps and state
//   velkin_demo [--show] [--root FOLDER] [--tags-file-name VALUE] --case TITLE FILE LINE POSITION PICK...
//       for each case: opens FILE (or a new document of that path holding
//       POSITION's word, when FILE cannot be read), puts the caret on LINE
//       (1-based) at POSITION and runs the command. POSITION is a 1-based
//       byte column, a word of the line, or "-" for the line's first
//       identifier. PICK works the tag list: "double-click:N", "enter:N"
//       (a click on row N, then Enter), "escape", or "user". --show leaves
//       every pick to the user. Paths under FOLDER are printed relative to it.
//       --tags-file-name sets the plug-in's TagsFileName setting for the next
//       case alone (the value it had is put back after it).
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "editor/HostMessages.h"
#include "host/PluginLibrary.h"
#include "host/SimHost.h"
#include "host/TextCodec.h"
#include "host/demo/PickerWatch.h"
#include "win/Win32Handles.h"

namespace {

using velkin::demo::PickAction;
using velkin::demo::PickerReport;
using velkin::demo::PickerWatch;
using velkin::sim::PluginLibrary;
using velkin::sim::ShiftJisToUtf8;
using velkin::sim::SimDocument;
using velkin::sim::SimFrame;
using velkin::sim::SimHost;
using velkin::sim::SimView;

// ---- Terminal text -----------------------------------------------------------

void Print(const std::string& utf8) { std::fwrite(utf8.data(), 1, utf8.size(), stdout); }

// Line `line` of a document (held in Unicode, as the editor decoded its
// file) for the terminal; "" beyond the text.
std::string LineText(const SimDocument& document, std::size_t line)
{
    return line < document.lines.size() ? velkin::sim::Narrow(document.lines[line], CP_UTF8) : std::string();
}

bool IsWide(unsigned codePoint)
{
    return (codePoint >= 0x1100 && codePoint <= 0x115F) || (codePoint >= 0x2E80 && codePoint <= 0xA4CF) ||
           (codePoint >= 0xAC00 && codePoint <= 0xD7A3) || (codePoint >= 0xF900 && codePoint <= 0xFAFF) ||
           (codePoint >= 0xFE30 && codePoint <= 0xFE4F) || (codePoint >= 0xFF00 && codePoint <= 0xFF60) ||
           (codePoint >= 0xFFE0 && codePoint <= 0xFFE6) || codePoint >= 0x20000;
}

// Terminal columns of a UTF-8 text: Japanese characters take two.
int DisplayWidth(const std::string& utf8)
{
    const std::wstring text = velkin::sim::Widen(utf8, CP_UTF8);
    int width = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned codePoint = text[i];
        if (codePoint >= 0xD800 && codePoint <= 0xDBFF && i + 1 < text.size())
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (text[++i] - 0xDC00);
        width += IsWide(codePoint) ? 2 : 1;
    }
    return width;
}

std::string PadRight(const std::string& utf8, int width)
{
    return utf8 + std::string(static_cast<std::size_t>(std::max(0, width - DisplayWidth(utf8))), ' ');
}

// One labelled line of a case: "   label     text".
void PrintField(const std::string& label, const std::string& utf8) { Print("   " + PadRight(label, 10) + utf8 + "\n"); }

// Rows of UTF-8 cells in aligned columns, each row after its own prefix.
void PrintTable(const std::vector<std::string>& prefixes, const std::vector<std::vector<std::string>>& rows)
{
    std::vector<int> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t column = 0; column < row.size(); ++column)
            widths[column] = std::max(widths[column], DisplayWidth(row[column]));
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::string line = prefixes[i];
        for (std::size_t column = 0; column < rows[i].size(); ++column)
            line += column + 1 < rows[i].size() ? PadRight(rows[i][column], widths[column] + 2) : rows[i][column];
        Print(line + "\n");
    }
}

// A line as printed after its place: tabs as four spaces, without the indent.
std::string WithoutIndent(const std::string& text)
{
    std::string out;
    for (char c : text) out += c == '\t' ? std::string(4, ' ') : std::string(1, c);
    const std::size_t first = out.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : out.substr(first);
}

// ---- The simulated editor ----------------------------------------------------

struct Demo {
    PluginLibrary& plugin;
    SimHost& host;
    SimFrame& frame;
    SimView& view;
    std::string root;   // ANSI, no trailing backslash; "" prints full paths
    bool show = false;
};

// `path` relative to the root when it lies below it, with forward slashes.
std::string ShortPath(const Demo& demo, const std::string& path)
{
    std::string shown = path;
    const std::string prefix = demo.root + "\\";
    if (!demo.root.empty() && path.size() > prefix.size() && lstrcmpiA(path.substr(0, prefix.size()).c_str(), prefix.c_str()) == 0)
        shown = path.substr(prefix.size());
    if (shown != path) std::replace(shown.begin(), shown.end(), '\\', '/');
    return ShiftJisToUtf8(shown);
}

// Where a document's caret is: "file:line  text of the line".
std::string CaretPlace(const Demo& demo, const SimDocument& document)
{
    const std::size_t line = static_cast<std::size_t>(document.caret.y);
    const std::string shown = WithoutIndent(LineText(document, line));
    return ShortPath(demo, document.AnsiPath()) + ":" + std::to_string(line + 1) + "  " +
           (shown.empty() ? std::string("(a blank line)") : shown);
}

bool IsIdentifierByte(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

// The byte offset in `line` that POSITION names: a 1-based column, the start
// of a whole word, or ("-") the first identifier; 0 when there is none.
LONG CaretColumn(const std::string& line, const std::string& position)
{
    if (position.find_first_not_of("0123456789") == std::string::npos && !position.empty())
        return std::max(0L, std::atol(position.c_str()) - 1);
    for (std::size_t at = 0; at < line.size(); ++at) {
        if (!IsIdentifierByte(line[at]) || (at > 0 && IsIdentifierByte(line[at - 1]))) continue;
        if (line[at] >= '0' && line[at] <= '9') continue;
        std::size_t end = at;
        while (end < line.size() && IsIdentifierByte(line[end])) ++end;
        if (position == "-" || line.compare(at, end - at, position) == 0) return static_cast<LONG>(at);
    }
    return 0;
}

// The view's document of `path`, loading it into a new one when none holds it
// yet (as the user opens a file); made active.
SimDocument& OpenDocument(Demo& demo, const std::string& path, const std::string& word)
{
    for (std::size_t i = 0; i < demo.view.DocumentCount(); ++i) {
        if (lstrcmpiA(demo.view.Document(i).AnsiPath().c_str(), path.c_str()) != 0) continue;
        demo.view.Activate(static_cast<int>(i));
        return demo.view.Document(i);
    }
    SimDocument& document = demo.view.AddDocument(path);
    if (!document.Load(path)) document.SetText(word);   // an unsaved document holding the word
    document.SetAnsiPath(path);
    demo.view.Activate(static_cast<int>(demo.view.DocumentCount() - 1));
    return document;
}

struct Case {
    std::string title, file, position;
    long line = 1;
    PickAction pick;
    std::string tagsFileName;  // the setting for this case; empty: as it is
};

// Where the plug-in reads its TagsFileName setting, under HKEY_CURRENT_USER.
constexpr const char* kPluginSettingsKey = "Software\\EmSoft\\EmEditorPlugIns\\Pemwick\\Tavrel";
constexpr const char* kTagsFileNameValue = "TagsFileName";

// Sets TagsFileName for its lifetime, then puts back the value it had (or
// removes it, and the key when it made the key).
class ScopedTagsFileName {
public:
    explicit ScopedTagsFileName(const std::string& value)
    {
        if (value.empty()) return;
        DWORD disposition = 0;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kPluginSettingsKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                            key_.Receive(), &disposition) != ERROR_SUCCESS) {
            throw std::runtime_error("cannot open the plug-in's settings key");
        }
        createdKey_ = disposition == REG_CREATED_NEW_KEY;
        DWORD size = 0;
        if (RegQueryValueExA(key_.Get(), kTagsFileNameValue, nullptr, &savedType_, nullptr, &size) == ERROR_SUCCESS) {
            saved_.resize(size);
            hadValue_ = RegQueryValueExA(key_.Get(), kTagsFileNameValue, nullptr, &savedType_,
                                         reinterpret_cast<BYTE*>(saved_.data()), &size) == ERROR_SUCCESS;
        }
        RegSetValueExA(key_.Get(), kTagsFileNameValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    }
    ~ScopedTagsFileName()
    {
        if (!key_) return;
        if (hadValue_) {
            RegSetValueExA(key_.Get(), kTagsFileNameValue, 0, savedType_, reinterpret_cast<const BYTE*>(saved_.data()),
                           static_cast<DWORD>(saved_.size()));
        } else {
            RegDeleteValueA(key_.Get(), kTagsFileNameValue);
        }
        key_ = velkin::RegistryKey();
        if (createdKey_) RegDeleteKeyA(HKEY_CURRENT_USER, kPluginSettingsKey);
    }
    ScopedTagsFileName(const ScopedTagsFileName&) = delete;
    ScopedTagsFileName& operator=(const ScopedTagsFileName&) = delete;

private:
    velkin::RegistryKey key_;
    bool createdKey_ = false;
    bool hadValue_ = false;
    DWORD savedType_ = REG_SZ;
    std::string saved_;
};

// The row of `picker` that the jump's status text names: its file and position.
// Whether row `cells` names the file and position that the jump's `status` names.
// A cell shows a tab of the position as a blank; the status keeps it.
bool RowNamedBy(const std::vector<std::string>& cells, std::string status)
{
    std::replace(status.begin(), status.end(), '\t', ' ');
    std::string file = cells[2];
    std::replace(file.begin(), file.end(), '/', '\\');
    return status.find("\\" + file + "'") != std::string::npos && status.find("'" + cells[3] + "'") != std::string::npos;
}

// The row (1-based) the jump's `status` names, 0 for none: the row the pick
// aimed at when it is one of several alike (the members of several structs,
// twins), else the first.
int RowNamedBy(const PickerReport& picker, const std::string& status, const PickAction& pick)
{
    const bool aimed = pick.kind == PickAction::kDoubleClick || pick.kind == PickAction::kClickEnter;
    if (aimed && pick.row >= 1 && static_cast<std::size_t>(pick.row) <= picker.rows.size() &&
        RowNamedBy(picker.rows[static_cast<std::size_t>(pick.row) - 1], status))
        return pick.row;
    for (std::size_t i = 0; i < picker.rows.size(); ++i)
        if (RowNamedBy(picker.rows[i], status)) return static_cast<int>(i) + 1;
    return 0;
}

void PrintPicker(const PickerReport& picker, int pickedRow, const std::string& how)
{
    if (!picker.opened) {
        PrintField("list", "not shown");
        return;
    }
    PrintField("list", "\"" + picker.caption + "\", " + std::to_string(picker.rows.size()) + " rows:");
    std::vector<std::string> prefixes{std::string(13, ' ') + "    "};
    std::vector<std::vector<std::string>> rows;
    rows.emplace_back();
    for (const std::string& caption : picker.captions) rows.back().push_back(ShiftJisToUtf8(caption));
    for (std::size_t i = 0; i < picker.rows.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        char prefix[32];
        std::snprintf(prefix, sizeof prefix, "%13s%2d  ", number == pickedRow ? "-> " : "", number);
        prefixes.push_back(prefix);
        rows.emplace_back();
        for (const std::string& cell : picker.rows[i]) rows.back().push_back(ShiftJisToUtf8(cell));
    }
    PrintTable(prefixes, rows);
    std::string outcome = pickedRow > 0 ? "row " + std::to_string(pickedRow) : "none (closed without a pick)";
    if (!how.empty()) outcome += ", by " + how;
    if (!picker.closedByAction) outcome += "; the list did not close by itself and was cancelled";
    PrintField("picked", outcome);
}

void RunCase(Demo& demo, const Case& c, int number)
{
    const ScopedTagsFileName setting(c.tagsFileName);
    SimDocument& document = OpenDocument(demo, c.file, c.position);
    const LONG line = std::max(0L, c.line - 1);
    // The caret's x counts UTF-16 units; the column is found in the UTF-8 line.
    const std::string text = LineText(document, static_cast<std::size_t>(line));
    const std::size_t column = static_cast<std::size_t>(CaretColumn(text, c.position));
    document.MoveCaret({static_cast<LONG>(velkin::sim::Widen(text.substr(0, column), CP_UTF8).size()), line});

    Print(std::to_string(number) + ". " + ShiftJisToUtf8(c.title) + "\n");
    if (!c.tagsFileName.empty()) PrintField("setting", "TagsFileName = " + ShiftJisToUtf8(c.tagsFileName));
    PrintField("caret", CaretPlace(demo, document) + "  (column " + std::to_string(document.caret.x + 1) + ")");

    const std::size_t documentsBefore = demo.view.DocumentCount();
    const velkin::HostPoint caretBefore = document.caret;
    demo.host.ClearCalls();
    const PickAction pick = demo.show ? PickAction{} : c.pick;
    PickerWatch watch(pick);
    if (demo.show) Print("   (pick a row in the list, or close it)\n");
    std::fflush(stdout);
    demo.plugin.OnCommand(demo.frame.Window());
    const PickerReport& picker = watch.Finish();

    std::string jumpStatus;
    for (const auto& call : demo.host.Calls(velkin::HOSTMSG_SET_STATUS_TEXT)) {
        const std::string status = call.text.value_or(std::string());
        PrintField("status", ShiftJisToUtf8(status));
        if (picker.opened) jumpStatus = status;   // the last one names the jump, if any
    }
    const int pickedRow = RowNamedBy(picker, jumpStatus, pick);
    PrintPicker(picker, pickedRow, picker.opened && !demo.show ? pick.Describe() : std::string());
    for (const std::string& box : picker.boxes) PrintField("box", box);

    SimView* view = demo.frame.ActiveView();
    SimDocument* active = view ? view->ActiveDocument() : nullptr;
    if (!active) {
        PrintField("landed", "no active document");
    } else {
        std::string where = view->Name() + ", document " + std::to_string(view->ActiveIndex() + 1) + " of " +
                            std::to_string(view->DocumentCount());
        if (view->DocumentCount() > documentsBefore) where += ", opened by the jump";
        const bool moved = active != &document || active->caret.x != caretBefore.x || active->caret.y != caretBefore.y;
        PrintField(moved ? "landed" : "stayed", CaretPlace(demo, *active));
        PrintField("", where);
    }
    Print("\n");
    std::fflush(stdout);
}

// ---- The plug-in's identity ----------------------------------------------------

void PrintLine(const std::string& label, const std::string& ansiText) { Print("  " + label + ": " + ShiftJisToUtf8(ansiText) + "\n"); }

// A name or version query, asked as the editor asks it: the size first, then the text.
std::string AskText(PluginLibrary& plugin, HWND frame, UINT query)
{
    const LRESULT size = plugin.PlugInProc(frame, query, 0, 0);
    if (size <= 0) return std::string();
    std::string text(static_cast<std::size_t>(size), '\0');
    plugin.PlugInProc(frame, query, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    return text.c_str();
}

void PrintIdentity(PluginLibrary& plugin, SimHost& host, HWND frame)
{
    PrintLine("name", AskText(plugin, frame, velkin::PLUGIN_QUERY_NAME));
    PrintLine("version", AskText(plugin, frame, velkin::PLUGIN_QUERY_VERSION));
    PrintLine("interface", std::to_string(plugin.PlugInProc(frame, velkin::PLUGIN_QUERY_INTERFACE, 0, 0)));
    PrintLine("file", plugin.Path());
    PrintLine("menu text", plugin.LoadText(plugin.GetMenuTextID()));
    // The status text carries the tool tip after a line feed.
    const std::string status = plugin.LoadText(plugin.GetStatusMessageID());
    const std::size_t lineFeed = status.find('\n');
    PrintLine("status text", status.substr(0, lineFeed));
    PrintLine("tool tip", lineFeed == std::string::npos ? std::string() : status.substr(lineFeed + 1));
    PrintLine("bitmap (GetBitmapID)", std::to_string(plugin.GetBitmapID()));
    PrintLine("bitmap, small toolbar", std::to_string(plugin.PlugInProc(frame, velkin::PLUGIN_QUERY_BITMAP, 0, 0)));
    PrintLine("bitmap, large toolbar", std::to_string(plugin.PlugInProc(frame, velkin::PLUGIN_QUERY_BITMAP, 1, 0)));
    BOOL checked = TRUE;
    const BOOL enabled = plugin.QueryStatus(frame, &checked);
    PrintLine("enabled", enabled ? "yes" : "no");
    PrintLine("checked", checked ? "yes" : "no");
    host.ClearCalls();
    plugin.OnEvents(frame, velkin::EVENT_STORE_VALUE | velkin::EVENT_SEND_REPLY, 42);
    for (const std::string& call : host.DescribeCalls()) PrintLine("host received (event store 42, reply)", call);
}

// One line: what was loaded, from where.
void PrintHeader(PluginLibrary& plugin, HWND frame)
{
    Print(ShiftJisToUtf8(AskText(plugin, frame, velkin::PLUGIN_QUERY_NAME)) + " " +
          ShiftJisToUtf8(AskText(plugin, frame, velkin::PLUGIN_QUERY_VERSION)) + ", command \"" +
          ShiftJisToUtf8(plugin.LoadText(plugin.GetMenuTextID())) + "\" (" + std::to_string(sizeof(void*) * 8) +
          "-bit build, ANSI code page " + std::to_string(GetACP()) + ")\n");
    Print("loaded from " + ShiftJisToUtf8(plugin.Path()) + " into the simulated editor\n\n");
}

// ---- Arguments ----------------------------------------------------------------

struct Options {
    bool identity = false;
    bool show = false;
    std::string root;
    std::vector<Case> cases;
};

Options ParseArguments(int argc, char** argv)
{
    Options options;
    std::string tagsFileName;  // for the next case
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--identity") {
            options.identity = true;
        } else if (argument == "--show") {
            options.show = true;
        } else if (argument == "--root" && i + 1 < argc) {
            options.root = argv[++i];
            while (!options.root.empty() && options.root.back() == '\\') options.root.pop_back();
        } else if (argument == "--tags-file-name" && i + 1 < argc) {
            tagsFileName = argv[++i];
        } else if (argument == "--case" && i + 5 < argc) {
            Case c;
            c.tagsFileName = std::exchange(tagsFileName, std::string());
            c.title = argv[i + 1];
            c.file = argv[i + 2];
            c.line = std::atol(argv[i + 3]);
            c.position = argv[i + 4];
            if (!PickAction::Parse(argv[i + 5], c.pick)) throw std::runtime_error(std::string("unknown pick: ") + argv[i + 5]);
            options.cases.push_back(c);
            i += 5;
        } else {
            throw std::runtime_error("unknown or incomplete argument: " + argument +
                                     "\nusage: velkin_demo --identity | [--show] [--root FOLDER] "
                                     "([--tags-file-name VALUE] --case TITLE FILE LINE POSITION PICK)...");
        }
    }
    return options;
}

}  // namespace

int main(int argc, char** argv)
{
    // Binary output: the UTF-8 bytes reach the terminal unchanged, without CRs.
    _setmode(_fileno(stdout), _O_BINARY);
    try {
        const Options options = ParseArguments(argc, argv);
        PluginLibrary plugin;
        SimHost host;
        SimFrame& frame = host.AddFrame();
        if (options.identity) {
            std::printf("Velkin demo (%d-bit build, ANSI code page %u)\n", static_cast<int>(sizeof(void*) * 8), GetACP());
            PrintIdentity(plugin, host, frame.Window());
            return 0;
        }
        PrintHeader(plugin, frame.Window());
        Demo demo{plugin, host, frame, frame.AddView(), options.root, options.show};
        for (std::size_t i = 0; i < options.cases.size(); ++i) RunCase(demo, options.cases[i], static_cast<int>(i) + 1);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "velkin_demo: %s\n", error.what());
        return 1;
    }
    return 0;
}
