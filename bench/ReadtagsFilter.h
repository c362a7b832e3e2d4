// The readtags expression that selects what the scanner keeps, so that the
// benchmark script can time universal-ctags' readtags on the same work.
#pragma once

#include <string>
#include <string_view>

namespace velkin::bench {

// For `readtags -t FILE -Q EXPRESSION -l`: lines whose name starts with `word`
// (no name test when it is empty) or whose file field is `documentField`.
// Backslashes and double quotes in either are escaped.
std::string ReadtagsFilter(std::string_view word, std::string_view documentField);

}  // namespace velkin::bench
