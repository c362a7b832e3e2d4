#include "tags/FileFieldMemo.h"

#include <cstring>
#include <new>

#include "tags/TagsFileLocator.h"

namespace velkin {

namespace {

constexpr std::size_t kInitialSlots = 1024;

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

bool SameField(const char* key, std::size_t keyLength, const char* field, std::size_t length) noexcept
{
    return key && keyLength == length && std::memcmp(key, field, length) == 0;
}

}  // namespace

FileFieldMemo::FileFieldMemo(const CowString& documentPath, const CowString& tagsFolder)
    : documentPath_(documentPath), folderPrefix_(tagsFolder + "\\")
{
}

bool FileFieldMemo::IsInDocument(const char* field, const char* fieldEnd)
{
    const auto length = static_cast<std::size_t>(fieldEnd - field);
    if (SameField(last_.key, last_.length, field, length)) return last_.inDocument;

    const std::uint32_t hash = HashBytes(field, length);
    if (const Slot* known = Find(field, length, hash)) {
        last_ = *known;
        return last_.inDocument;
    }
    last_ = Slot{field, length, hash, Resolve(field, length)};
    ++resolved_;
    Remember(last_);
    return last_.inDocument;
}

void FileFieldMemo::Forget() noexcept
{
    slots_.clear();
    used_ = 0;
    last_ = Slot{};
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
    for (std::size_t i = hash & mask; slots_[i].key; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.hash == hash && SameField(slot.key, slot.length, field, length)) return &slot;
    }
    return nullptr;
}

void FileFieldMemo::Remember(const Slot& slot) noexcept
{
    if ((used_ + 1) * 2 > slots_.size()) {
        // Without room to grow, the field is simply resolved again when it recurs.
        try {
            std::vector<Slot> larger(slots_.empty() ? kInitialSlots : slots_.size() * 2);
            for (const Slot& old : slots_) {
                if (old.key) Place(larger, old);
            }
            slots_.swap(larger);
        } catch (const std::bad_alloc&) {
            return;
        }
    }
    Place(slots_, slot);
    ++used_;
}

void FileFieldMemo::Place(std::vector<Slot>& slots, const Slot& slot) noexcept
{
    const std::size_t mask = slots.size() - 1;
    std::size_t i = slot.hash & mask;
    while (slots[i].key) i = (i + 1) & mask;
    slots[i] = slot;
}

}  // namespace velkin
