// The benchmark's walk over tag lines, made of the scanner's own line
// operations so that it sees the lines the scanner sees and costs what the
// scanner's walk costs.
#pragma once

#include "tags/LineGrammar.h"

namespace velkin::bench {

// Calls onTagLine(line, nameEnd, fileEnd) for each line of [begin, end) that
// has a name and a file field (both tabs found), pseudo-tag lines excepted.
// The pointers borrow from the data.
template <typename OnTagLine>
void ForEachTagLine(const char* begin, const char* end, OnTagLine&& onTagLine)
{
    for (const char* line = begin; line < end;) {
        const char* nameEnd = *line == '!' ? nullptr : NextTab(line, end);
        const char* fileEnd = nameEnd ? NextTab(nameEnd + 1, end) : nullptr;
        if (!fileEnd) {
            line = SkipLine(line, end);
            continue;
        }
        onTagLine(line, nameEnd, fileEnd);
        line = SkipLine(fileEnd + 1, end);
    }
}

}  // namespace velkin::bench
