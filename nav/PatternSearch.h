// Moving a view to the line a tag's search pattern describes.
#pragma once

#include <windows.h>

#include "tags/TagEntry.h"
#include "tags/TagRelations.h"

namespace velkin {

// Moves `view` (whose active document is the tag's file) to the line that
// `entry`'s pattern address describes, and leaves that line's occurrence of
// the text selected and in view, as the editor's find leaves what it finds.
//
// Texts and order are PatternSearchTexts'. The pattern's anchors are kept: an
// occurrence of a text whose start is not the start of its line ("^"), or
// whose line goes on after it ("$"), is passed over and the search goes on
// below it. So a prototype, a typedef line or a longer name above the tag's
// own line does not stop the jump.
//  1. With a line hint (N of "N;/pattern/", or a "line:N" field), an
//     occurrence of a pattern text on line N that holds the anchors lands.
//  2. Else, for each pattern text in turn, with a line hint, the occurrence
//     that holds them nearest line N, above or below (below when two are as
//     near): lines came or went above the tag since it was tagged.
//  3. Without a line hint, the `siblings.twin`-th occurrence that holds them
//     from the top (the last when there are fewer): ctags writes one alike
//     row for each #if branch that defines the tag, in the order of the
//     source, so the k-th of such rows is the k-th such line. A member (a tag
//     with a scope field and a tags file) whose text holds the anchors on
//     more than one line is looked for inside its owner (FindOwnerTag): the
//     jump lands on the owner's line as it would for the owner's own tag,
//     then on the twin-th occurrence at or below it. The owner's line is
//     placed the same way when it recurs, outward along its own scope (a
//     class `Inner` in each of two classes: the outer class's line, then
//     `Inner`'s below it), up to three owners out; one of ctags' anonymous
//     names (IsAnonymousName), an owner or the tag itself, is placed by its
//     order among the file's anonymous tags of its text (AnonymousOrder),
//     from the top. With no owner tag, an ambiguous one, or fewer of the
//     text's lines at or below the owner's than the tag's place among them,
//     the rule before applies.
//  4. Else (a file edited since it was tagged) the first occurrence of the
//     first pattern text found anywhere, then the tag's name, from the top.
//
// Relies only on the editor's answers, not on where its find leaves the caret
// nor on whether it goes on from the top: the caret is placed before each
// find, and a find that answers at or above the occurrence before it ends
// the walk, so each text costs at most one pass over the document (a walk
// for the nearest occurrence ends at the first one on or below line N, and
// lands on one above it by repeating the find that found it; a member's walk
// goes on below its first lines, from the owner's line, once that is known).
// A tag without twins, scope field or anonymous name costs what it did
// before twins and members were told apart; a member with one anchored line
// costs one find more (to see that there is no other) and the find that
// selects its line again.
void MoveToPattern(HWND view, const TagEntry& entry, const TagSiblings& siblings = TagSiblings());

}  // namespace velkin
