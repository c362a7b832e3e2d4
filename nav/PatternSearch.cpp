#include "nav/PatternSearch.h"

#include <optional>

#include "editor/HostWindow.h"
#include "tags/SearchTexts.h"

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
        // Past the occurrence: its end (whether a find takes a match at the
        // caret or only after it, the next line's start is reached), or one
        // character on when occurrences may overlap.
        from = anchors.startsLine ? found->end : HostPoint{found->start.x + 1, found->start.y};
    }
    if (!above) return false;
    FindFrom(view, text, above->from);
    return true;
}

// Lands on the first occurrence of `text` from the top, as a plain search does.
bool FindFromTop(HWND view, const CowString& text)
{
    ExecuteCommand(view, CMD_GO_TO_TOP);
    return FindText(view, text.Text());
}

}  // namespace

void MoveToPattern(HWND view, const TagEntry& entry)
{
    const SearchTexts tries = PatternSearchTexts(entry);
    const Anchors anchors{tries.startsLine, tries.endsLine};
    Walk fromTop;
    if (tries.lineHint > 0) {
        const LONG line = tries.lineHint - 1;
        const Walk onHintLine{HostPoint{0, line}, line, std::nullopt};
        for (int i = 0; i < tries.patternCount; ++i)
            if (LandAnchored(view, tries.texts[i], anchors, onHintLine)) return;
        // The file changed since it was tagged: lines came or went above the tag.
        fromTop.nearLine = line;
    }
    int firstFoundText = -1;
    for (int i = 0; i < tries.patternCount; ++i) {
        bool seen = false;
        if (LandAnchored(view, tries.texts[i], anchors, fromTop, &seen)) return;
        if (seen && firstFoundText < 0) firstFoundText = i;
    }
    // No line holds the anchors (the file changed since it was tagged): where
    // a plain search from the top lands.
    if (firstFoundText >= 0 && FindFromTop(view, tries.texts[firstFoundText])) return;
    FindFromTop(view, tries.texts[tries.count - 1]);
}

}  // namespace velkin
