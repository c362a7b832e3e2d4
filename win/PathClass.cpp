#include "win/PathClass.h"

#include <windows.h>

namespace velkin {

namespace {

bool IsSeparator(char byte) noexcept { return byte == '\\' || byte == '/'; }

bool IsAsciiLetter(char byte) noexcept { return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z'); }

char UpperAscii(char byte) noexcept { return byte >= 'a' && byte <= 'z' ? static_cast<char>(byte - 'a' + 'A') : byte; }

// No ASCII byte leads a double-byte character: ASCII paths need no call.
bool IsLeadByte(char byte) noexcept
{
    return static_cast<unsigned char>(byte) >= 0x80 && IsDBCSLeadByte(static_cast<BYTE>(byte)) != FALSE;
}

// The character after the one at `p`: a lead byte takes its trail byte along
// (unless the text ends after it).
const char* NextCharacter(const char* p, const char* end) noexcept
{
    return IsLeadByte(*p) && end - p >= 2 ? p + 2 : p + 1;
}

// [text, end) spells `word` (upper-case ASCII) and nothing more, letter case ignored.
bool Spells(const char* text, const char* end, const char* word) noexcept
{
    for (; text != end; ++text, ++word) {
        if (*word == 0 || UpperAscii(*text) != *word) return false;
    }
    return *word == 0;
}

// [text, end) begins with `word` (upper-case ASCII), letter case ignored.
bool BeginsWith(const char* text, const char* end, const char* word) noexcept
{
    for (; *word; ++text, ++word) {
        if (text == end || UpperAscii(*text) != *word) return false;
    }
    return true;
}

// The digit of COM1, LPT9: 0-9, or a superscript 1, 2, 3 of code page 1252,
// which Windows reads as digits there.
bool IsPortDigit(char byte) noexcept
{
    const auto code = static_cast<unsigned char>(byte);
    return (byte >= '0' && byte <= '9') || code == 0xB9 || code == 0xB2 || code == 0xB3;
}

PathClass Classified(PathKind kind, bool namespacePrefix) noexcept
{
    PathClass result;
    result.kind = kind;
    result.namespacePrefix = namespacePrefix;
    return result;
}

// A network path whose host begins at `host`.
PathClass NetworkPath(const char* host, const char* end, bool namespacePrefix) noexcept
{
    PathClass result = Classified(PathKind::network, namespacePrefix);
    result.host = host;
    result.hostEnd = host;
    while (result.hostEnd != end && !IsSeparator(*result.hostEnd) && *result.hostEnd != '@')
        result.hostEnd = NextCharacter(result.hostEnd, end);
    return result;
}

// Whether a name of [path, end) is a device name: the names between
// separators, and the one before a drive's ':' ends at it ("C:nul" is NUL).
bool NamesDevice(const char* path, const char* end) noexcept
{
    const char* name = path;
    for (const char* p = path;; p = NextCharacter(p, end)) {
        const bool driveColon = p == path + 1 && p != end && *p == ':' && IsAsciiLetter(*path);
        if (p == end || IsSeparator(*p) || driveColon) {
            if (IsDeviceName(name, p)) return true;
            if (p == end) return false;
            name = p + 1;
        }
    }
}

// What follows \\?\ or \??\: a drive path is a file of this machine, UNC a
// network path; anything else reaches into the object namespace (a volume, a
// device, GLOBALROOT).
PathClass AfterNamespacePrefix(const char* rest, const char* end) noexcept
{
    if (end - rest >= 3 && IsAsciiLetter(rest[0]) && rest[1] == ':' && IsSeparator(rest[2])) {
        return Classified(NamesDevice(rest + 3, end) ? PathKind::device : PathKind::local, true);
    }
    if (end - rest >= 4 && BeginsWith(rest, end, "UNC") && IsSeparator(rest[3])) return NetworkPath(rest + 4, end, true);
    return Classified(PathKind::device, true);
}

}  // namespace

bool IsDeviceName(const char* name, const char* nameEnd) noexcept
{
    const char* stemEnd = name;
    while (stemEnd != nameEnd && *stemEnd != '.' && *stemEnd != ':') ++stemEnd;
    while (stemEnd != name && stemEnd[-1] == ' ') --stemEnd;
    switch (stemEnd - name) {
    case 3:
        return Spells(name, stemEnd, "CON") || Spells(name, stemEnd, "PRN") || Spells(name, stemEnd, "AUX") ||
               Spells(name, stemEnd, "NUL");
    case 4:
        return (BeginsWith(name, stemEnd, "COM") || BeginsWith(name, stemEnd, "LPT")) && IsPortDigit(name[3]);
    case 6:
        return Spells(name, stemEnd, "CONIN$") || Spells(name, stemEnd, "CLOCK$");
    case 7:
        return Spells(name, stemEnd, "CONOUT$");
    default:
        return false;
    }
}

PathClass ClassifyPath(const char* path, const char* pathEnd) noexcept
{
    // Windows reads a path up to its zero byte.
    const char* end = path;
    while (end != pathEnd && *end != 0) ++end;
    const auto length = end - path;

    if (length >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        const bool prefix = length >= 3 && (path[2] == '.' || path[2] == '?') && (length == 3 || IsSeparator(path[3]));
        if (!prefix) return NetworkPath(path + 2, end, false);
        if (path[2] == '.') return Classified(PathKind::device, true);
        return AfterNamespacePrefix(path + (length == 3 ? 3 : 4), end);
    }
    if (length >= 4 && IsSeparator(path[0]) && path[1] == '?' && path[2] == '?' && IsSeparator(path[3])) {
        return AfterNamespacePrefix(path + 4, end);
    }
    return Classified(NamesDevice(path, end) ? PathKind::device : PathKind::local, false);
}

bool SameHost(const char* a, const char* aEnd, const char* b, const char* bEnd) noexcept
{
    if (a == aEnd || aEnd - a != bEnd - b) return false;
    // Letter case is folded in single-byte characters only: a trail byte may
    // be an ASCII letter, and two characters differing there are two.
    while (a != aEnd) {
        if (IsLeadByte(*a) && aEnd - a >= 2) {
            if (a[0] != b[0] || a[1] != b[1]) return false;
            a += 2;
            b += 2;
            continue;
        }
        if (UpperAscii(*a) != UpperAscii(*b)) return false;
        ++a;
        ++b;
    }
    return true;
}

}  // namespace velkin
