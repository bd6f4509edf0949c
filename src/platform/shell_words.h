#pragma once

#include <string>
#include <vector>

namespace zelkon {

// Splits a command line into words as a POSIX shell would (blanks, single and
// double quotes, backslashes), without running a shell and without expanding
// anything. A quote left open runs to the end of the text.
std::vector<std::string> split_shell_words(const std::string& text);

// The text as one word of a POSIX shell, in single quotes, so that nothing
// in it is read by the shell.
std::string shell_quote(const std::string& text);

// The text as one word of a POSIX shell: as it stands when it holds only
// characters the shell takes literally, else quoted, so that command lines
// stay readable in the logs.
std::string shell_word(const std::string& text);

// A text that no quoting can carry through a one-line command: a line break
// or another control character would end or split the line.
bool passes_as_shell_word(const std::string& text);

}  // namespace zelkon
