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

// Whether the line goes on after `end`: the text from there to the next
// line's start is a line break alone. On the last line there is no next line
// to select to, and an editor clamps that point somewhere on this line: then
// one character past `end` tells, as a line's end clamps it back to `end`.
bool LineEndsAt(HWND view, HostPoint end)
{
    const HostPoint nextLine{0, end.y + 1};
    SetSelection(view, end, nextLine);
    const TextSpan selected = GetSelection(view);
    if (SamePoint(selected.start, end) && SamePoint(selected.end, nextLine)) return SelectionEndsLine(view);
    SetSelection(view, end, HostPoint{end.x + 1, end.y});
    return SelectionEndsLine(view);
}

// Whether `found` holds the anchors. Checking "$" moves the selection; it is
// put back on `found` when the anchors hold, as the jump lands there.
bool HoldsAnchors(HWND view, const TextSpan& found, Anchors anchors)
{
    if (anchors.startsLine && found.start.x != 0) return false;
    if (!anchors.endsLine) return true;
    if (!LineEndsAt(view, found.end)) return false;
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

// Which occurrences a walk looks at.
struct Walk {
    std::optional<HostPoint> from;  // unset: from the top
    std::optional<LONG> onlyLine;   // unset: any line
};

// The first occurrence of `text` that `walk` looks at and that holds
// `anchors`, or nothing. Each find starts past the occurrence before it, and
// one that answers at or above that occurrence has gone on from the top: the
// walk ends there.
// `seen`, when given, is set when the editor found the text at all.
std::optional<TextSpan> FindAnchored(HWND view, const CowString& text, Anchors anchors, const Walk& walk,
                                     bool* seen = nullptr)
{
    std::optional<HostPoint> from = walk.from;
    std::optional<HostPoint> previous;
    for (;;) {
        const std::optional<TextSpan> found = FindFrom(view, text, from);
        if (!found) return std::nullopt;
        if (previous && !IsBefore(*previous, found->start)) return std::nullopt;
        if (walk.onlyLine && found->start.y != *walk.onlyLine) return std::nullopt;
        if (seen) *seen = true;
        if (HoldsAnchors(view, *found, anchors)) return found;
        previous = found->start;
        // Past the occurrence: its end (whether a find takes a match at the
        // caret or only after it, the next line's start is reached), or one
        // character on when occurrences may overlap.
        from = anchors.startsLine ? found->end : HostPoint{found->start.x + 1, found->start.y};
    }
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
    if (tries.lineHint > 0) {
        const LONG line = tries.lineHint - 1;
        const Walk onHintLine{HostPoint{0, line}, line};
        for (int i = 0; i < tries.patternCount; ++i)
            if (FindAnchored(view, tries.texts[i], anchors, onHintLine)) return;
    }
    int firstFoundText = -1;
    for (int i = 0; i < tries.patternCount; ++i) {
        bool seen = false;
        if (FindAnchored(view, tries.texts[i], anchors, Walk{}, &seen)) return;
        if (seen && firstFoundText < 0) firstFoundText = i;
    }
    // No line holds the anchors (the file changed since it was tagged): where
    // a plain search from the top lands.
    if (firstFoundText >= 0 && FindFromTop(view, tries.texts[firstFoundText])) return;
    FindFromTop(view, tries.texts[tries.count - 1]);
}

}  // namespace velkin
