#pragma once

#include <string>
#include <vector>

namespace zelkon {

// Splits a command line into words as a POSIX shell would (blanks, single and
// double quotes, backslashes), without running a shell and without expanding
// anything. A quote left open runs to the end of the text.
std::vector<std::string> split_shell_words(const std::string& text);

}  // namespace zelkon
