#include "text/CowString.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace velkin {

namespace {

// The shared empty string: never freed, never shared by count (refs < 0).
struct EmptyBlock {
    StringHeader header;
    char text[1];
};
EmptyBlock g_emptyBlock = {{-1, 0, 0}, {0}};

HINSTANCE g_resourceModule = nullptr;

char* EmptyText() noexcept { return g_emptyBlock.text; }

// A new block of `size` text bytes (refs 1, length = capacity = size, text[size] = 0),
// the empty text for size <= 0, or null when storage runs out.
char* NewBlock(int size) noexcept
{
    if (size <= 0) return EmptyText();
    auto* header = static_cast<StringHeader*>(std::malloc(sizeof(StringHeader) + static_cast<size_t>(size) + 1));
    if (!header) return nullptr;
    header->refs = 1;
    header->length = size;
    header->capacity = size;
    char* text = reinterpret_cast<char*>(header + 1);
    text[size] = 0;
    return text;
}

// A new block holding a copy of `count` bytes, the empty text, or null.
char* NewCopy(const char* bytes, int count) noexcept
{
    char* text = NewBlock(count);
    if (text && count > 0) std::memcpy(text, bytes, static_cast<size_t>(count));
    return text;
}

}  // namespace

// ---- Construction and release ----------------------------------------------

CowString::CowString() noexcept : text_(EmptyText()) {}

CowString::CowString(const char* textOrId) : text_(EmptyText())
{
    if (!textOrId) return;
    const auto value = reinterpret_cast<ULONG_PTR>(textOrId);
    if (value <= 0xFFFF) {
        LoadFromTable(static_cast<UINT>(value & 0xFFFF));
        return;
    }
    Assign(textOrId, lstrlenA(textOrId));
}

CowString::CowString(const char* bytes, int count) : text_(EmptyText())
{
    if (bytes && count > 0) Assign(bytes, count);
}

CowString::CowString(char byte, int count) : text_(EmptyText())
{
    if (count <= 0) return;
    char* text = NewBlock(count);
    if (!text) return;
    std::memset(text, static_cast<unsigned char>(byte), static_cast<size_t>(count));
    text_ = text;
}

CowString::CowString(const CowString& other) noexcept : text_(EmptyText())
{
    if (other.Header()->refs < 0) {
        Assign(other.text_, other.Length());
        return;
    }
    text_ = other.text_;
    InterlockedIncrement(&Header()->refs);
}

CowString::CowString(CowString&& other) noexcept : text_(other.text_)
{
    other.text_ = EmptyText();
}

CowString::~CowString() { Release(); }

bool CowString::IsStaticEmpty() const noexcept { return text_ == EmptyText(); }

void CowString::Release() noexcept
{
    if (!IsStaticEmpty() && InterlockedDecrement(&Header()->refs) <= 0) std::free(Header());
    text_ = EmptyText();
}

// ---- Assignment ---------------------------------------------------------------

CowString& CowString::operator=(const CowString& other) noexcept
{
    if (text_ == other.text_) return *this;
    const bool targetUnshareable = Header()->refs < 0 && !IsStaticEmpty();
    if (targetUnshareable || other.Header()->refs < 0) {
        Assign(other.text_, other.Length());
        return *this;
    }
    Release();
    text_ = other.text_;
    InterlockedIncrement(&Header()->refs);
    return *this;
}

CowString& CowString::operator=(CowString&& other) noexcept
{
    if (this != &other) {
        Release();
        text_ = other.text_;
        other.text_ = EmptyText();
    }
    return *this;
}

CowString& CowString::operator=(const char* text) noexcept
{
    Assign(text, text ? lstrlenA(text) : 0);
    return *this;
}

void CowString::Assign(const char* bytes, int count) noexcept
{
    if (!bytes || count < 0) count = 0;
    const StringHeader* header = Header();
    if (header->refs > 1 || count > header->capacity) {
        // Copy before releasing: `bytes` may point into the block being released.
        char* text = NewCopy(bytes, count);
        Release();
        if (text) text_ = text;
        return;
    }
    if (IsStaticEmpty()) return;  // count is 0 here
    std::memmove(text_, bytes, static_cast<size_t>(count));
    Header()->length = count;
    text_[count] = 0;
}

// ---- Buffer access ------------------------------------------------------------

char* CowString::OpenBuffer(int minimum) noexcept
{
    const StringHeader* header = Header();
    if (header->refs > 1 || minimum > header->capacity) {
        const int length = header->length;
        char* text = NewBlock(minimum > length ? minimum : length);
        if (!text) return nullptr;
        if (text != EmptyText()) {
            std::memcpy(text, text_, static_cast<size_t>(length) + 1);
            reinterpret_cast<StringHeader*>(text)[-1].length = length;
        }
        Release();
        text_ = text;
    }
    return text_;
}

void CowString::CloseBuffer(int newLength) noexcept
{
    if (IsStaticEmpty()) {
        text_[0] = 0;
        return;
    }
    if (Header()->refs > 1) {
        char* text = NewCopy(text_, Header()->length);
        Release();
        if (!text || text == EmptyText()) return;
        text_ = text;
    }
    if (newLength == -1) newLength = lstrlenA(text_);
    // Never let a bad length write outside the block.
    if (newLength < 0) newLength = 0;
    if (newLength > Header()->capacity) newLength = Header()->capacity;
    Header()->length = newLength;
    text_[newLength] = 0;
}

// ---- Reading and building -----------------------------------------------------

bool CowString::operator==(const CowString& other) const noexcept
{
    return lstrcmpA(text_, other.text_) == 0;
}

namespace {

CowString Concatenate(const char* left, int leftLength, const char* right, int rightLength)
{
    CowString result;
    char* text = result.OpenBuffer(leftLength + rightLength);
    if (!text) return result;
    std::memcpy(text, left, static_cast<size_t>(leftLength));
    std::memcpy(text + leftLength, right, static_cast<size_t>(rightLength));
    result.CloseBuffer(leftLength + rightLength);
    return result;
}

}  // namespace

CowString operator+(const CowString& left, const CowString& right)
{
    return Concatenate(left.Text(), left.Length(), right.Text(), right.Length());
}

CowString operator+(const CowString& left, const char* right)
{
    return Concatenate(left.Text(), left.Length(), right ? right : "", right ? lstrlenA(right) : 0);
}

CowString CowString::Substring(int first, int count) const
{
    if (first < 0) first = 0;
    if (count < 0) count = 0;
    const int length = Length();
    if (first > length) return CowString();
    if (static_cast<long long>(first) + count > length) count = length - first;
    return CowString(text_ + first, count);
}

CowString CowString::Substring(int first) const { return Substring(first, Length() - first); }

CowString CowString::Prefix(int count) const
{
    if (count < 0) count = 0;
    if (count > Length()) count = Length();
    return CowString(text_, count);
}

int CowString::FindText(const char* sub, int start) const noexcept
{
    if (start > Length()) return -1;
    if (start < 0) start = 0;
    const char* found = ScanSubstring(text_ + start, sub ? sub : "");
    return found ? static_cast<int>(found - text_) : -1;
}

int CowString::FindLastByte(char byte) const noexcept
{
    const char* found = ScanLastChar(text_, byte);
    return found ? static_cast<int>(found - text_) : -1;
}

// ---- String table and formatting ----------------------------------------------

bool CowString::LoadFromTable(UINT id) noexcept
{
    // Most texts fit a small local buffer; a load that may have been cut
    // (fewer than three bytes to spare) is retried with a larger buffer.
    char local[256];
    int loaded = LoadText(id, local, sizeof local);
    if (static_cast<int>(sizeof local) - loaded > 2) {
        *this = local;
        return loaded > 0;
    }
    for (int size = 512;; size += 256) {
        char* buffer = OpenBuffer(size - 1);
        if (!buffer) {
            Release();
            return false;
        }
        loaded = LoadText(id, buffer, size);
        if (size - loaded > 2) break;
    }
    CloseBuffer(-1);
    return loaded > 0;
}

bool CowString::FormatArguments(const char* format, va_list arguments) noexcept
{
    char* buffer = OpenBuffer(kFormatLimit);
    if (!buffer) {
        Release();
        return false;
    }
    // _vsnprintf leaves a cut result unterminated; the block holds at least
    // kFormatLimit + 1 bytes, so the cut is terminated here.
    _vsnprintf(buffer, kFormatLimit, format, arguments);
    buffer[kFormatLimit] = 0;
    CloseBuffer(-1);
    return true;
}

bool CowString::FormatText(const char* format, ...) noexcept
{
    va_list arguments;
    va_start(arguments, format);
    const bool formatted = FormatArguments(format ? format : "", arguments);
    va_end(arguments);
    return formatted;
}

bool CowString::FormatFromTable(UINT id, ...) noexcept
{
    CowString format;
    format.LoadFromTable(id);
    va_list arguments;
    va_start(arguments, id);
    const bool formatted = FormatArguments(format.Text(), arguments);
    va_end(arguments);
    return formatted;
}

// ---- Multibyte character functions ----------------------------------------------

const char* ScanChar(const char* text, char byte) noexcept
{
    for (const char* p = text; *p; p = CharNextA(p)) {
        if (*p == byte) return p;
    }
    return nullptr;
}

const char* ScanLastChar(const char* text, char byte) noexcept
{
    const char* last = nullptr;
    for (const char* p = text; *p; p = CharNextA(p)) {
        if (*p == byte) last = p;
    }
    return last;
}

const char* ScanSubstring(const char* text, const char* sub) noexcept
{
    const int length = lstrlenA(sub);
    if (length == 0) return text;
    for (const char* p = ScanChar(text, sub[0]); p; p = ScanChar(CharNextA(p), sub[0])) {
        if (std::strncmp(p, sub, static_cast<size_t>(length)) == 0) return p;
    }
    return nullptr;
}

int LoadText(UINT id, char* buffer, int size) noexcept
{
    if (!buffer || size <= 0) return 0;
    const int loaded = LoadStringA(g_resourceModule, id, buffer, size);
    if (loaded <= 0) {
        buffer[0] = 0;
        return 0;
    }
    return loaded;
}

void SetResourceModule(HINSTANCE module) noexcept { g_resourceModule = module; }

HINSTANCE ResourceModule() noexcept { return g_resourceModule; }

}  // namespace velkin
