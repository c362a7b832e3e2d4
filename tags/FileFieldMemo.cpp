#include "tags/FileFieldMemo.h"

#include <cstring>
#include <new>

#include "tags/TagsFileLocator.h"

namespace velkin {

namespace {

constexpr std::size_t kInitialSlots = 1024;
// Bounds on what one scan remembers (about 24 MB), so that a file of endless
// distinct fields cannot crowd out the records in a 32-bit process. A 375 MB
// tags file has some 27,000 distinct fields of about 51 bytes.
constexpr std::size_t kMaxFields = std::size_t(1) << 18;
constexpr std::size_t kMaxKeyBytes = std::size_t(16) << 20;

std::uint32_t RotateLeft(std::uint32_t value, int bits) noexcept
{
    return (value << bits) | (value >> (32 - bits));
}

// MurmurHash3 (32-bit): file fields share long prefixes and differ near their
// ends, so every byte must reach the low bits that pick the slot.
std::uint32_t HashBytes(const char* bytes, std::size_t length) noexcept
{
    constexpr std::uint32_t c1 = 0xCC9E2D51u;
    constexpr std::uint32_t c2 = 0x1B873593u;
    std::uint32_t h = 0;
    std::size_t i = 0;
    for (; length - i >= 4; i += 4) {
        std::uint32_t k;
        std::memcpy(&k, bytes + i, 4);
        h ^= RotateLeft(k * c1, 15) * c2;
        h = RotateLeft(h, 13) * 5 + 0xE6546B64u;
    }
    std::uint32_t tail = 0;
    for (std::size_t shift = 0; i < length; ++i, shift += 8) {
        tail |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << shift;
    }
    h ^= RotateLeft(tail * c1, 15) * c2;
    h ^= static_cast<std::uint32_t>(length);
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    return h ^ (h >> 16);
}

// Equal bytes, compared eight at a time: the C runtime's memcmp under Wine
// goes byte by byte, and every line compares a whole file field.
bool SameBytes(const char* a, const char* b, std::size_t length) noexcept
{
    std::size_t i = 0;
    for (; length - i >= 8; i += 8) {
        std::uint64_t x, y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x != y) return false;
    }
    for (; i < length; ++i) {
        if (a[i] != b[i]) return false;
    }
    return true;
}

bool IsPlainNameByte(char byte) noexcept
{
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
           byte == '_' || byte == '.';
}

bool EqualsIgnoringAsciiCase(const char* bytes, const char* word, std::size_t length) noexcept
{
    for (std::size_t i = 0; i < length; ++i) {
        if ((bytes[i] | 0x20) != (word[i] | 0x20)) return false;
    }
    return true;
}

// CON, PRN, AUX, NUL, COM0-9 and LPT0-9, with or without an extension, name
// devices: a path ending in one may resolve to \\.\CON rather than to itself.
bool IsDeviceName(const char* name, const char* nameEnd) noexcept
{
    const char* stem = static_cast<const char*>(std::memchr(name, '.', static_cast<size_t>(nameEnd - name)));
    const std::size_t length = static_cast<std::size_t>((stem ? stem : nameEnd) - name);
    if (length == 3) {
        for (const char* device : {"con", "prn", "aux", "nul"}) {
            if (EqualsIgnoringAsciiCase(name, device, 3)) return true;
        }
        return false;
    }
    return length == 4 && (EqualsIgnoringAsciiCase(name, "com", 3) || EqualsIgnoringAsciiCase(name, "lpt", 3)) &&
           name[3] >= '0' && name[3] <= '9';
}

// A path component that full-path resolution keeps exactly as written and
// whose every character counts in an lstrcmpA comparison.
bool IsPlainName(const char* name, const char* nameEnd) noexcept
{
    if (name == nameEnd || nameEnd[-1] == '.') return false;
    for (const char* p = name; p != nameEnd; ++p) {
        if (!IsPlainNameByte(*p)) return false;
    }
    return !IsDeviceName(name, nameEnd);
}

// No byte of 128 or above: no double-byte character can pair a path's bytes
// differently from how they read one by one.
bool IsAscii(const char* bytes, const char* bytesEnd) noexcept
{
    const char* p = bytes;
    std::uint64_t high = 0;
    for (; bytesEnd - p >= 8; p += 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        high |= word;
    }
    for (; p != bytesEnd; ++p) high |= static_cast<unsigned char>(*p);
    return (high & 0x8080808080808080ull) == 0;
}

// True when `text` stops inside a double-byte character (its last byte is a
// lone lead byte), so a byte appended to it would pair with that lead byte.
bool EndsInsideCharacter(const CowString& text) noexcept
{
    const char* last = text.Text();
    for (const char* p = last; *p; p = CharNextA(p)) last = p;
    return IsDBCSLeadByte(static_cast<BYTE>(*last)) && last[1] == 0;
}

// The document's name when lines may be ruled out by it, else empty.
CowString PlainDocumentName(const CowString& documentPath, const CowString& tagsFolder)
{
    const int separator = documentPath.FindLastByte('\\');
    if (separator < 0 || EndsInsideCharacter(tagsFolder)) return CowString();
    const CowString name = documentPath.Substring(separator + 1);
    return IsPlainName(name.Text(), name.Text() + name.Length()) ? name : CowString();
}

}  // namespace

FileFieldMemo::FileFieldMemo(const CowString& documentPath, const CowString& tagsFolder)
    : documentPath_(documentPath),
      folderPrefix_(tagsFolder + "\\"),
      documentName_(PlainDocumentName(documentPath, tagsFolder))
{
}

bool FileFieldMemo::CannotBeDocument(const char* field, const char* fieldEnd) const noexcept
{
    if (documentName_.IsEmpty()) return false;
    const char* name = fieldEnd;
    while (name != field && name[-1] != '\\' && name[-1] != '/') --name;
    const auto nameLength = static_cast<std::size_t>(fieldEnd - name);
    const bool sameName = nameLength == static_cast<std::size_t>(documentName_.Length()) &&
                          SameBytes(name, documentName_.Text(), nameLength);
    return !sameName && IsPlainName(name, fieldEnd) && IsAscii(field, name);
}

bool FileFieldMemo::IsInDocument(const char* field, const char* fieldEnd)
{
    if (CannotBeDocument(field, fieldEnd)) return false;
    const auto length = static_cast<std::size_t>(fieldEnd - field);
    if (lastField_ && length == lastLength_ && SameBytes(field, lastField_, length)) return lastInDocument_;

    const std::uint32_t hash = HashBytes(field, length);
    const Slot* known = Find(field, length, hash);
    bool inDocument;
    if (known) {
        inDocument = known->answer == 2;
    } else {
        inDocument = Resolve(field, length);
        ++resolved_;
        Remember(field, length, hash, inDocument);
    }
    lastField_ = field;
    lastLength_ = length;
    lastInDocument_ = inDocument;
    return inDocument;
}

void FileFieldMemo::Forget() noexcept
{
    slots_.clear();
    keys_.clear();
    used_ = 0;
    lastField_ = nullptr;
}

bool FileFieldMemo::Resolve(const char* field, std::size_t length) const
{
    const CowString joined = folderPrefix_ + CowString(field, static_cast<int>(length));
    return lstrcmpA(GetFullPath(joined.Text()).Text(), documentPath_.Text()) == 0;
}

const FileFieldMemo::Slot* FileFieldMemo::Find(const char* field, std::size_t length,
                                               std::uint32_t hash) const noexcept
{
    if (slots_.empty()) return nullptr;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask; slots_[i].answer != 0; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.hash == hash && slot.length == length && SameBytes(keys_.data() + slot.offset, field, length)) {
            return &slot;
        }
    }
    return nullptr;
}

void FileFieldMemo::Remember(const char* field, std::size_t length, std::uint32_t hash, bool inDocument) noexcept
{
    if (used_ == kMaxFields || length > kMaxKeyBytes - keys_.size()) return;
    try {
        if ((used_ + 1) * 2 > slots_.size()) {
            std::vector<Slot> larger(slots_.empty() ? kInitialSlots : slots_.size() * 2);
            for (const Slot& old : slots_) {
                if (old.answer != 0) Place(larger, old);
            }
            slots_.swap(larger);
        }
        const Slot slot{hash, static_cast<std::uint32_t>(keys_.size()), static_cast<std::uint32_t>(length),
                        inDocument ? 2u : 1u};
        keys_.insert(keys_.end(), field, field + length);
        Place(slots_, slot);
        ++used_;
    } catch (const std::bad_alloc&) {
        // Without room the field is simply resolved again when it recurs.
    }
}

void FileFieldMemo::Place(std::vector<Slot>& slots, const Slot& slot) noexcept
{
    const std::size_t mask = slots.size() - 1;
    std::size_t i = slot.hash & mask;
    while (slots[i].answer != 0) i = (i + 1) & mask;
    slots[i] = slot;
}

}  // namespace velkin
