#pragma once

#include <string>

namespace zelkon {

// Takes the next blank-separated item off the front of text: returns it and
// leaves the rest in text. Empty when no item is left.
std::string take_next_item(std::string& text);

}  // namespace zelkon
