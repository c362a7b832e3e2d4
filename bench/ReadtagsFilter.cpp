#include "bench/ReadtagsFilter.h"

namespace velkin::bench {
namespace {

std::string StringLiteral(std::string_view text)
{
    std::string literal = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') literal += '\\';
        literal += c;
    }
    return literal + '"';
}

}  // namespace

std::string ReadtagsFilter(std::string_view word, std::string_view documentField)
{
    const std::string inDocument = "(eq? $input " + StringLiteral(documentField) + ")";
    if (word.empty()) return inDocument;
    return "(or (prefix? $name " + StringLiteral(word) + ") " + inDocument + ")";
}

}  // namespace velkin::bench
