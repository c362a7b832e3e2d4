#include "nav/PatternSearch.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "editor/HostWindow.h"
#include "tags/SearchTexts.h"
#include "tags/TagRelations.h"
#include "tags/TagTraits.h"

namespace velkin {

namespace {

struct Anchors {
    bool startsLine;
    bool endsLine;
};

bool SamePoint(HostPoint a, HostPoint b) { return a.x == b.x && a.y == b.y; }

bool IsLineBreak(const CowString& text)
{
    const char* const end = text.Text() + text.Length();
    for (const char* p = text.Text(); p != end; ++p)
        if (*p != '\r' && *p != '\n') return false;
    return true;
}

// True when the selection is empty or only a line break: "\r\n" at most.
bool SelectionEndsLine(HWND view)
{
    const unsigned size = SelectedTextSize(view);
    if (size <= 1) return true;
    return size <= 3 && IsLineBreak(GetSelectedText(view));
}

bool IsSelected(HWND view, const TextSpan& span)
{
    const TextSpan selected = GetSelection(view);
    return SamePoint(selected.start, span.start) && SamePoint(selected.end, span.end);
}

// Whether the line goes on after `found`, the occurrence selected: the text
// from its end to the next line's start is a line break alone. On the last
// line there is no next line to select to, and an editor clamps that point
// somewhere or ignores the request: then one character past the end tells,
// as a line's end clamps that back to the end (nothing selected) or the
// editor ignores it too (the occurrence stays selected).
bool LineEndsAt(HWND view, const TextSpan& found)
{
    const TextSpan toNextLine{found.end, HostPoint{0, found.end.y + 1}};
    SetSelection(view, toNextLine.start, toNextLine.end);
    if (IsSelected(view, toNextLine)) return SelectionEndsLine(view);
    SetSelection(view, found.end, HostPoint{found.end.x + 1, found.end.y});
    return IsSelected(view, found) || SelectionEndsLine(view);
}

// Whether `found` holds the anchors. Checking "$" moves the selection; it is
// put back on `found` when the anchors hold, as the jump lands there.
bool HoldsAnchors(HWND view, const TextSpan& found, Anchors anchors)
{
    if (anchors.startsLine && found.start.x != 0) return false;
    if (!anchors.endsLine) return true;
    if (!LineEndsAt(view, found)) return false;
    SetSelection(view, found.start, found.end);
    return true;
}

// Finds `text` from `from` (from the top when unset); what the editor then
// selected, or nothing when it found nothing.
std::optional<TextSpan> FindFrom(HWND view, const CowString& text, const std::optional<HostPoint>& from)
{
    if (from) {
        SetCaretPosition(view, *from);
    } else {
        ExecuteCommand(view, CMD_GO_TO_TOP);
    }
    if (!FindText(view, text.Text())) return std::nullopt;
    return GetSelection(view);
}

// Which occurrences a walk looks at, and which one it lands on.
struct Walk {
    std::optional<HostPoint> from;  // unset: from the top
    std::optional<LONG> onlyLine;   // unset: any line
    // Unset: the first occurrence that holds the anchors. Set: of those, the
    // one nearest this line, the one below when two are as near.
    std::optional<LONG> nearLine;
};

// An occurrence and where the find that answered it started (unset: the top).
struct Found {
    TextSpan span;
    std::optional<HostPoint> from;
};

// Where a walk goes on past `found`: its end (whether a find takes a match
// at the caret or only after it, the next line's start is reached), or one
// character on when occurrences may overlap.
HostPoint PastOccurrence(const TextSpan& found, Anchors anchors)
{
    return anchors.startsLine ? found.end : HostPoint{found.start.x + 1, found.start.y};
}

// Lands on the occurrence of `text` that `walk` looks at, holds `anchors`
// and `walk` picks; false when there is none. Each find starts past the
// occurrence before it, and one that answers at or above that occurrence has
// gone on from the top: the walk ends there. Nearest a line, the walk ends at
// the first occurrence on or below it, and one above it is found again by the
// same find as before.
// `seen`, when given, is set when the editor found the text at all.
bool LandAnchored(HWND view, const CowString& text, Anchors anchors, const Walk& walk, bool* seen = nullptr)
{
    std::optional<HostPoint> from = walk.from;
    std::optional<HostPoint> previous;
    std::optional<Found> above;
    for (;;) {
        const std::optional<TextSpan> found = FindFrom(view, text, from);
        if (!found) break;
        if (previous && !IsBefore(*previous, found->start)) break;
        if (walk.onlyLine && found->start.y != *walk.onlyLine) break;
        if (seen) *seen = true;
        if (HoldsAnchors(view, *found, anchors)) {
            if (!walk.nearLine || found->start.y >= *walk.nearLine) {
                // Selected: it lands unless one above is nearer.
                if (!above || found->start.y - *walk.nearLine <= *walk.nearLine - above->span.start.y) return true;
                break;
            }
            above = Found{*found, from};
        }
        previous = found->start;
        from = PastOccurrence(*found, anchors);
    }
    if (!above) return false;
    FindFrom(view, text, above->from);
    return true;
}

// The occurrences of `text` from `from` down that hold `anchors`, in order,
// up to `limit` of them; the walk ends at the last one (then still
// selected), at the document's end, or at a find that answers above the
// point it started from or the occurrence before it (it went on from the
// top). `seen` is set when the editor found the text at all.
std::vector<Found> CollectAnchored(HWND view, const CowString& text, Anchors anchors,
                                   const std::optional<HostPoint>& start, std::size_t limit, bool& seen)
{
    std::vector<Found> anchored;
    std::optional<HostPoint> from = start;
    std::optional<HostPoint> previous;
    while (anchored.size() < limit) {
        const std::optional<TextSpan> found = FindFrom(view, text, from);
        if (!found) break;
        if (previous ? !IsBefore(*previous, found->start) : start && IsBefore(found->start, *start)) break;
        seen = true;
        if (HoldsAnchors(view, *found, anchors)) anchored.push_back(Found{*found, from});
        previous = found->start;
        from = PastOccurrence(*found, anchors);
    }
    return anchored;
}

// Selects `found` again: the find that answered it, from the same point.
void Reselect(HWND view, const CowString& text, const Found& found) { FindFrom(view, text, found.from); }

// Lands on the first occurrence of `text` from the top, as a plain search does.
bool FindFromTop(HWND view, const CowString& text)
{
    ExecuteCommand(view, CMD_GO_TO_TOP);
    return FindText(view, text.Text());
}

// How one pattern landed: the line it holds the anchors on, or nothing (the
// view is then wherever the finds left it), and the first of its texts the
// editor found at all (-1: none).
struct PatternLanding {
    std::optional<LONG> line;
    int firstFoundText = -1;
};

// How far out along a member's owners the jump places it: its owner, that
// owner's, and the one beyond. Each costs a lookup in the tags file (and one
// more for an anonymous owner) and a find or two.
constexpr int kOwnersOut = 3;

PatternLanding LandPattern(HWND view, const TagEntry& entry, const TagSiblings& siblings, int ownersOut);

// Whether the tags around `entry` may tell which of its lines is its own: it
// is a member (a scope field naming an owner) or one of ctags' anonymous
// names, read from a tags file, and its owners may still be looked up.
bool PlacedByRelations(const TagEntry& entry, int ownersOut)
{
    if (ownersOut <= 0 || entry.tagsFile.IsEmpty()) return false;
    return !TagScopeOf(entry.extensionFields).name.empty() || IsAnonymousName(entry.name);
}

// The line the jump lands on for `owner` as a tag of its own (the first
// holding its anchors, near its line hint, or placed by its own owners), when
// that holds the anchors; or the line its number names.
std::optional<LONG> LandOnOwner(HWND view, const TagEntry& owner, int ownersOut)
{
    if (IsAllDigits(owner.address.Text(), owner.address.Text() + owner.address.Length())) {
        const int line = ParseDigits(owner.address.Text(), owner.address.Text() + owner.address.Length());
        if (line <= 0) return std::nullopt;
        return line - 1;
    }
    return LandPattern(view, owner, TagSiblings(), ownersOut).line;
}

// Lands `entry`'s text (of which `anchored` holds the first few anchored
// occurrences from the top, more than one) on the k-th anchored occurrence
// at or below its owner's line, k being `twin`; for one of ctags' anonymous
// names, on the k-th from the top, k being its place among the file's
// anonymous tags of its text (AnonymousOrder: each such line is one of
// them, whatever their owners, and ctags numbers them in the order of the
// file). False, with the view anywhere, when neither the owner's line nor
// the anonymous tag's place is known, or fewer than k of the text's lines lie
// at or below the owner's: then the owner tells nothing.
bool LandInOwner(HWND view, const TagEntry& entry, const CowString& text, Anchors anchors,
                 const std::vector<Found>& anchored, bool walkedToEnd, int twin, int ownersOut)
{
    const std::optional<int> order = AnonymousOrder(entry);
    std::optional<LONG> ownerLine;
    if (!order) {
        const std::optional<TagEntry> owner = FindOwnerTag(entry);
        if (owner) ownerLine = LandOnOwner(view, *owner, ownersOut - 1);
        if (!ownerLine) return false;
    }
    const LONG fromLine = ownerLine.value_or(0);
    const auto wanted = static_cast<std::size_t>(order.value_or(twin));
    std::vector<Found> inOwner;
    for (const Found& found : anchored)
        if (found.span.start.y >= fromLine) inOwner.push_back(found);
    if (inOwner.size() < wanted && !walkedToEnd) {
        // Go on below what the first walk saw, from the owner's line at least.
        HostPoint from = PastOccurrence(anchored.back().span, anchors);
        if (IsBefore(from, HostPoint{0, fromLine})) from = HostPoint{0, fromLine};
        bool seen = false;
        for (Found& found : CollectAnchored(view, text, anchors, from, wanted - inOwner.size(), seen))
            inOwner.push_back(found);
    }
    if (inOwner.size() < wanted) return false;
    Reselect(view, text, inOwner[wanted - 1]);
    return true;
}

// Lands on the line that holds one of the pattern's texts under its anchors,
// as MoveToPattern describes; a member or anonymous tag placed by up to
// `ownersOut` of its owners.
PatternLanding LandPattern(HWND view, const TagEntry& entry, const TagSiblings& siblings, int ownersOut)
{
    const SearchTexts tries = PatternSearchTexts(entry);
    const Anchors anchors{tries.startsLine, tries.endsLine};
    PatternLanding landing;
    if (tries.lineHint > 0) {
        const LONG line = tries.lineHint - 1;
        const Walk onHintLine{HostPoint{0, line}, line, std::nullopt};
        for (int i = 0; i < tries.patternCount; ++i)
            if (LandAnchored(view, tries.texts[i], anchors, onHintLine)) return {line, i};
        // The file changed since it was tagged: lines came or went above the tag.
        const Walk nearHint{std::nullopt, std::nullopt, line};
        for (int i = 0; i < tries.patternCount; ++i) {
            bool seen = false;
            if (LandAnchored(view, tries.texts[i], anchors, nearHint, &seen)) return {GetSelection(view).start.y, i};
            if (seen && landing.firstFoundText < 0) landing.firstFoundText = i;
        }
        return landing;
    }
    // A member whose text stands on more than one line is looked for inside its owner.
    const bool related = PlacedByRelations(entry, ownersOut);
    const int twin = std::max(siblings.twin, 1);
    const std::size_t limit = std::max<std::size_t>(static_cast<std::size_t>(twin), related ? 2 : 1);
    for (int i = 0; i < tries.patternCount; ++i) {
        const CowString& text = tries.texts[i];
        bool seen = false;
        const std::vector<Found> anchored = CollectAnchored(view, text, anchors, std::nullopt, limit, seen);
        if (seen && landing.firstFoundText < 0) landing.firstFoundText = i;
        if (anchored.empty()) continue;
        const bool walkedToEnd = anchored.size() < limit;
        if (related && anchored.size() > 1 &&
            LandInOwner(view, entry, text, anchors, anchored, walkedToEnd, twin, ownersOut)) {
            landing.line = GetSelection(view).start.y;
            return landing;
        }
        // The twin-th from the top, or the last; still selected when the walk ended on it.
        const std::size_t chosen = std::min(static_cast<std::size_t>(twin), anchored.size()) - 1;
        if (walkedToEnd || chosen + 1 != anchored.size() || related) Reselect(view, text, anchored[chosen]);
        landing.line = anchored[chosen].span.start.y;
        return landing;
    }
    return landing;
}

}  // namespace

void MoveToPattern(HWND view, const TagEntry& entry, const TagSiblings& siblings)
{
    const PatternLanding landing = LandPattern(view, entry, siblings, kOwnersOut);
    if (landing.line) return;
    // No line holds the anchors (the file changed since it was tagged): where
    // a plain search from the top lands.
    const SearchTexts tries = PatternSearchTexts(entry);
    if (landing.firstFoundText >= 0 && FindFromTop(view, tries.texts[landing.firstFoundText])) return;
    FindFromTop(view, tries.texts[tries.count - 1]);
}

}  // namespace velkin
