#include "tags/FileFieldMemo.h"

#include <emmintrin.h>

#include <cstring>
#include <new>

#include "tags/TagsFileLocator.h"
#include "win/FullPath.h"

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

// The bytes of a plain name: ASCII letters, digits, '_' and '.'.
struct PlainNameBytes {
    bool plain[256] = {};
    constexpr PlainNameBytes()
    {
        for (int c = 'a'; c <= 'z'; ++c) plain[c] = plain[c - 'a' + 'A'] = true;
        for (int c = '0'; c <= '9'; ++c) plain[c] = true;
        plain[static_cast<unsigned char>('_')] = plain[static_cast<unsigned char>('.')] = true;
    }
};
constexpr PlainNameBytes kPlainNameBytes;

bool EqualsIgnoringAsciiCase(const char* bytes, const char* word, std::size_t length) noexcept
{
    for (std::size_t i = 0; i < length; ++i) {
        if ((bytes[i] | 0x20) != (word[i] | 0x20)) return false;
    }
    return true;
}

// CON, PRN, AUX, NUL, COM0-9 and LPT0-9, with or without an extension, name
// devices: a path ending in one may resolve to \\.\CON rather than to itself.
bool IsDeviceStem(const char* stem, const char* stemEnd) noexcept
{
    const auto length = static_cast<std::size_t>(stemEnd - stem);
    if (length == 3) {
        for (const char* device : {"con", "prn", "aux", "nul"}) {
            if (EqualsIgnoringAsciiCase(stem, device, 3)) return true;
        }
        return false;
    }
    return length == 4 && (EqualsIgnoringAsciiCase(stem, "com", 3) || EqualsIgnoringAsciiCase(stem, "lpt", 3)) &&
           stem[3] >= '0' && stem[3] <= '9';
}

// A path component that full-path resolution keeps exactly as written and
// whose every character counts in an lstrcmpA comparison.
bool IsPlainName(const char* name, const char* nameEnd) noexcept
{
    if (name == nameEnd || nameEnd[-1] == '.') return false;
    const char* stemEnd = nullptr;  // the first '.'
    for (const char* p = name; p != nameEnd; ++p) {
        if (!kPlainNameBytes.plain[static_cast<unsigned char>(*p)]) return false;
        if (*p == '.' && !stemEnd) stemEnd = p;
    }
    return !IsDeviceStem(name, stemEnd ? stemEnd : nameEnd);
}

// The 16 bytes that end at `blockEnd`.
__m128i LoadBlockBefore(const char* blockEnd) noexcept
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(blockEnd - 16));
}

// No byte of 128 or above in [field, fieldEnd): no double-byte character can
// pair these bytes differently from how they read one by one. Loads stay
// inside the range.
bool IsAscii(const char* field, const char* fieldEnd) noexcept
{
    if (fieldEnd - field < 16) {
        for (const char* p = field; p != fieldEnd; ++p) {
            if (static_cast<unsigned char>(*p) >= 0x80) return false;
        }
        return true;
    }
    __m128i high = LoadBlockBefore(fieldEnd);
    for (const char* p = field; fieldEnd - p > 16; p += 16) {
        high = _mm_or_si128(high, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    }
    return _mm_movemask_epi8(high) == 0;
}

// The bytes of one 16-byte block, one bit per byte.
struct BlockMarks {
    unsigned separators;  // '\\' or '/'
    unsigned notPlain;    // outside the plain-name bytes
    unsigned dots;        // '.'
};

BlockMarks ClassifyBlock(__m128i block) noexcept
{
    const auto between = [&block](char low, char high) {
        return _mm_and_si128(_mm_cmpgt_epi8(block, _mm_set1_epi8(static_cast<char>(low - 1))),
                             _mm_cmplt_epi8(block, _mm_set1_epi8(static_cast<char>(high + 1))));
    };
    const __m128i dots = _mm_cmpeq_epi8(block, _mm_set1_epi8('.'));
    const __m128i plain = _mm_or_si128(_mm_or_si128(between('a', 'z'), between('A', 'Z')),
                                       _mm_or_si128(_mm_or_si128(between('0', '9'), dots),
                                                    _mm_cmpeq_epi8(block, _mm_set1_epi8('_'))));
    const __m128i separators =
        _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('\\')), _mm_cmpeq_epi8(block, _mm_set1_epi8('/')));
    return {static_cast<unsigned>(_mm_movemask_epi8(separators)),
            static_cast<unsigned>(_mm_movemask_epi8(plain)) ^ 0xFFFFu,
            static_cast<unsigned>(_mm_movemask_epi8(dots))};
}

// The last 32 bytes of a field at least that long, one bit per byte, bit 31
// for the last byte.
BlockMarks ClassifyTail(const char* fieldEnd) noexcept
{
    const BlockMarks low = ClassifyBlock(LoadBlockBefore(fieldEnd - 16));
    const BlockMarks high = ClassifyBlock(LoadBlockBefore(fieldEnd));
    return {low.separators | high.separators << 16, low.notPlain | high.notPlain << 16, low.dots | high.dots << 16};
}

// The start of the field's last path component: after its last '\\' or '/'.
const char* LastComponent(const char* field, const char* fieldEnd) noexcept
{
    const char* name = fieldEnd;
    while (name != field && name[-1] != '\\' && name[-1] != '/') --name;
    return name;
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
CowString PlainDocumentName(const CowString& documentPath, const CowString& tagsFolder, const CowString& ownFolder)
{
    const int separator = documentPath.FindLastByte('\\');
    if (separator < 0 || EndsInsideCharacter(tagsFolder) || EndsInsideCharacter(ownFolder)) return CowString();
    const CowString name = documentPath.Substring(separator + 1);
    return IsPlainName(name.Text(), name.Text() + name.Length()) ? name : CowString();
}

// A byte that lstrcmpA weighs as written: printable ASCII.
bool IsPrintable(char byte) noexcept { return byte >= 0x20 && byte <= 0x7E; }

// A document name that full-path resolution keeps as written when it is a
// field's last component: printable, no separator, not ending in a dot or
// blank (those are trimmed), not a device name.
bool IsPrintableName(const CowString& name) noexcept
{
    const char* text = name.Text();
    const char* end = text + name.Length();
    if (text == end || end[-1] == '.' || end[-1] == ' ') return false;
    const char* stemEnd = nullptr;  // the first '.'
    for (const char* p = text; p != end; ++p) {
        if (!IsPrintable(*p) || *p == '/' || *p == '\\') return false;
        if (*p == '.' && !stemEnd) stemEnd = p;
    }
    return !IsDeviceStem(text, stemEnd ? stemEnd : end);
}

// True when a component of `folder`, as written or trimmed of trailing dots
// and blanks, equals `name` under lstrcmpA: a file field of only '.', '..' and
// separators resolves to that folder (or one above it) and then names it.
bool FolderHasComponent(const CowString& folder, const CowString& name)
{
    const char* text = folder.Text();
    for (const char* start = text; *start;) {
        const char* end = start;
        while (*end && *end != '\\' && *end != '/') end = CharNextA(end);
        const CowString component(start, static_cast<int>(end - start));
        for (int length = component.Length(); length > 0; --length) {
            if (lstrcmpA(component.Prefix(length).Text(), name.Text()) == 0) return true;
            const char last = component.Text()[length - 1];
            if (last != '.' && last != ' ') break;
        }
        start = *end ? end + 1 : end;
    }
    return false;
}

// A letter of a script other than Latin: hiragana, katakana (full and half
// width, less the marks whose weight borrows the letter before them), a CJK
// ideograph, a hangul syllable, a Greek or Cyrillic letter. lstrcmpA weighs
// each in its own script, where no ASCII character weighs.
bool IsNonLatinLetter(wchar_t c) noexcept
{
    const auto in = [c](wchar_t first, wchar_t last) { return c >= first && c <= last; };
    return in(0x3041, 0x3096) || in(0x30A1, 0x30FA) || in(0xFF66, 0xFF6F) || in(0xFF71, 0xFF9D) ||
           in(0x4E00, 0x9FFF) || in(0xAC00, 0xD7A3) || in(0x0391, 0x03C9) || in(0x0400, 0x045F);
}

// A document name in the ANSI code page that holds a letter of a script
// other than Latin, and no control character or separator, nor a dot or
// blank at its end. lstrcmpA compares every level of weight, so no text of
// printable ASCII equals such a name. Symbols, accented and full-width Latin
// letters prove nothing: their main weight is that of an ASCII character (or
// of two: 'ß' may equal "ss").
bool HoldsNonLatinLetter(const CowString& name) noexcept
{
    wchar_t wide[MAX_PATH];
    const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name.Text(), name.Length(), wide, MAX_PATH);
    if (length <= 0 || wide[length - 1] == L'.' || wide[length - 1] == L' ') return false;
    bool nonLatin = false;
    for (int i = 0; i < length; ++i) {
        const wchar_t c = wide[i];
        if (c < 0x20 || c == 0x7F || c == L'\\' || c == L'/') return false;
        nonLatin = nonLatin || IsNonLatinLetter(c);
    }
    return nonLatin;
}

// Whether '.' and '..' steps of a field placed below `folder` can leave one
// of its components, `name`, last. A relative folder resolves below the
// current one: its components count too.
bool FolderMayEndIn(const CowString& folder, const CowString& name)
{
    return FolderHasComponent(folder, name) || FolderHasComponent(GetFullPath<CowString>(folder.Text()), name);
}

// The document's name when whole lines may be ruled out by it (see the
// header), else empty; `ownFolder`, when set, is the tags file's own folder. A file field's last component survives resolution at
// most trimmed of trailing dots and blanks, or is dropped with '.' and '..'
// leaving a component of the tags folder. lstrcmpA weighs every printable
// ASCII character and tells any two of them apart, so a last component made
// of them equals a printable name only when it is that name, which the
// field then holds as a component, perhaps followed by trimmed dots and
// blanks; it never equals a name with a letter of another script, which a
// line of printable ASCII cannot hold. Bytes outside printable ASCII are left
// to resolution.
CowString DocumentLineFilterName(const CowString& documentPath, const CowString& tagsFolder, const CowString& ownFolder)
{
    const int separator = documentPath.FindLastByte('\\');
    if (separator < 0 || EndsInsideCharacter(tagsFolder) || EndsInsideCharacter(ownFolder)) return CowString();
    const CowString name = documentPath.Substring(separator + 1);
    if (!IsPrintableName(name) && !HoldsNonLatinLetter(name)) return CowString();
    if (FolderMayEndIn(tagsFolder, name) || (!ownFolder.IsEmpty() && FolderMayEndIn(ownFolder, name))) return CowString();
    return name;
}

// A lead byte of the kanji rows of JIS X 0208 in code page 932 (16 to 84):
// characters that the code page spells one way only.
bool IsJisKanjiLead(unsigned char lead) noexcept { return (lead >= 0x88 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEA); }

// Whether a character of the code page other than `kanji` (its ANSI bytes)
// equals it under lstrcmpA: the compatibility ideographs the code page holds
// (U+F900 to U+FAFF; the IBM rows) are the ones that may.
bool HasEqualCharacter(const char kanji[2])
{
    const char text[3] = {kanji[0], kanji[1], 0};
    for (wchar_t c = 0xF900; c <= 0xFAFF; ++c) {
        char other[3] = {};
        BOOL usedDefault = FALSE;
        if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &c, 1, other, 2, nullptr, &usedDefault) != 2 || usedDefault)
            continue;
        if ((other[0] != kanji[0] || other[1] != kanji[1]) && lstrcmpA(other, text) == 0) return true;
    }
    return false;
}

// The anchor of a filter name (see the header); not set when there is none.
FileFieldMemo::Anchor FindAnchor(const CowString& name)
{
    FileFieldMemo::Anchor anchor;
    if (name.IsEmpty() || GetACP() != 932) return anchor;
    for (const char* p = name.Text(); *p; p = CharNextA(p)) {
        if (!IsJisKanjiLead(static_cast<unsigned char>(*p)) || p[1] == 0) continue;
        wchar_t kanji = 0;
        if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, p, 2, &kanji, 1) != 1 || kanji < 0x4E00 || kanji > 0x9FFF)
            continue;
        if (HasEqualCharacter(p)) continue;
        if (WideCharToMultiByte(CP_UTF8, 0, &kanji, 1, anchor.utf8, 3, nullptr, nullptr) != 3) continue;
        anchor.ansi[0] = p[0];
        anchor.ansi[1] = p[1];
        anchor.set = true;
        return anchor;
    }
    return anchor;
}

}  // namespace

FileFieldMemo::FileFieldMemo(const CowString& documentPath, const CowString& tagsFolder, const CowString& ownFolder,
                             FieldEncoding encoding)
    : documentPath_(documentPath),
      tagsFolder_(tagsFolder),
      ownFolder_(HasOwnFolder(tagsFolder, ownFolder) ? ownFolder : CowString()),
      encoding_(encoding),
      documentName_(PlainDocumentName(documentPath, tagsFolder, ownFolder_)),
      lineFilterName_(DocumentLineFilterName(documentPath, tagsFolder, ownFolder_)),
      lineFilterAnchor_(FindAnchor(lineFilterName_))
{
}

bool FileFieldMemo::IsLastField(const char* field, std::size_t length) const noexcept
{
    if (!lastField_ || length != lastLength_) return false;
    // Fields of one folder differ mostly in their last bytes: look there first.
    if (length >= 8 && !SameBytes(field + length - 8, lastField_ + length - 8, 8)) return false;
    return SameBytes(field, lastField_, length);
}

bool FileFieldMemo::CannotBeDocument(const char* field, const char* fieldEnd) const noexcept
{
    if (documentName_.IsEmpty()) return false;
    if (fieldEnd - field >= 32) {
        // Names are short: the last separator is nearly always among the last
        // 32 bytes, which are then classified all at once.
        const BlockMarks tail = ClassifyTail(fieldEnd);
        if (tail.separators != 0) {
            const int nameStart = 32 - __builtin_clz(tail.separators);  // the bit after the last separator
            const unsigned nameBits = nameStart == 32 ? 0u : ~((1u << nameStart) - 1);
            const char* name = fieldEnd - 32 + nameStart;
            if (IsDocumentName(name, fieldEnd) || nameBits == 0 || (tail.notPlain & nameBits) != 0 ||
                (tail.dots & 0x80000000u) != 0) {
                return false;
            }
            const unsigned stemDots = tail.dots & nameBits;
            const char* stemEnd = stemDots != 0 ? fieldEnd - 32 + __builtin_ctz(stemDots) : fieldEnd;
            // The name's own bytes are plain: only the folder part can hold
            // double-byte characters.
            return !IsDeviceStem(name, stemEnd) && IsAscii(field, name);
        }
    }
    const char* name = LastComponent(field, fieldEnd);
    return !IsDocumentName(name, fieldEnd) && IsPlainName(name, fieldEnd) && IsAscii(field, fieldEnd);
}

bool FileFieldMemo::IsDocumentName(const char* name, const char* nameEnd) const noexcept
{
    const auto length = static_cast<std::size_t>(nameEnd - name);
    return length == static_cast<std::size_t>(documentName_.Length()) && SameBytes(name, documentName_.Text(), length);
}

bool FileFieldMemo::IsInDocument(const char* field, const char* fieldEnd)
{
    const auto length = static_cast<std::size_t>(fieldEnd - field);
    if (IsLastField(field, length)) return lastInDocument_;
    lastField_ = field;
    lastLength_ = length;
    lastInDocument_ = !CannotBeDocument(field, fieldEnd) && LookUp(field, length);
    return lastInDocument_;
}

bool FileFieldMemo::LookUp(const char* field, std::size_t length)
{
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
    // A name the code page cannot hold is never the document's: the
    // editor's path is in the code page.
    const FieldReadings readings = ReadFileField(CowString(field, static_cast<int>(length)), encoding_);
    for (int i = 0; i < readings.count; ++i) {
        if (!readings.reading[i].wide.empty()) continue;
        const CowString path = PlaceTagFile(tagsFolder_, ownFolder_, readings.reading[i].text);
        if (lstrcmpA(GetFullPath<CowString>(path.Text()).Text(), documentPath_.Text()) == 0) return true;
    }
    return false;
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
