// The ways an editor may behave where the jump relies on nothing: where a
// find leaves the caret, whether it goes on from the top, what a selection
// past the text's end does, and how a selected line break reads as the file
// has it (LF or CR LF). Landing tables run each of their rows under all of
// them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/SimHost.h"

namespace velkin::test {

// Gives `document` the text of `lines`, joined by LF and then by CR LF (the
// last line without a line end), and for each calls `row(label)` once under
// every find behaviour, `label` naming the behaviour.
inline void ForEachFindBehaviour(sim::SimDocument& document, const std::vector<std::string>& lines,
                                 const std::function<void(const std::string& label)>& row)
{
    using FindCaret = sim::SimDocument::FindCaret;
    using PastEnd = sim::SimDocument::SelectionPastEnd;
    const struct {
        FindCaret caret;
        bool wraps;
    } finds[] = {{FindCaret::atEnd, false}, {FindCaret::atStart, false}, {FindCaret::atEnd, true}};
    const PastEnd pastEnds[] = {PastEnd::keptOnLastLine, PastEnd::textEnd, PastEnd::ignored};
    document.selectedLineBreak = sim::SimDocument::SelectedLineBreak::asLoaded;
    for (const std::string lineEnd : {"\n", "\r\n"}) {
        std::string text;
        for (const std::string& line : lines) text += line + (&line == &lines.back() ? "" : lineEnd);
        document.SetText(text);
        for (const auto& find : finds) {
            for (const PastEnd pastEnd : pastEnds) {
                document.findCaret = find.caret;
                document.findWraps = find.wraps;
                document.selectionPastEnd = pastEnd;
                row(std::string(lineEnd == "\n" ? " (LF)" : " (CR LF)") + (find.wraps ? " (wraps)" : "") +
                    (find.caret == FindCaret::atStart ? " (caret at start)" : "") +
                    " (past the end: " + std::to_string(static_cast<int>(pastEnd)) + ")");
            }
        }
    }
}

}  // namespace velkin::test
