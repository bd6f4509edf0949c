#pragma once

#include <string>
#include <vector>

namespace zelkon {

// Takes the next blank-separated item off the front of text: returns it and
// leaves the rest in text. Empty when no item is left.
std::string take_next_item(std::string& text);

// Splits text into lines ending at CR LF, LF or CR; a last line without an
// end counts too.
std::vector<std::string> split_text_lines(const std::string& text);

// The lines of a text that another program may still be appending to: a
// last line without its line end is still being written, and left out.
std::vector<std::string> complete_text_lines(const std::string& text);

}  // namespace zelkon
