#include "platform/text_items.h"

namespace zelkon {

std::string take_next_item(std::string& text) {
    const char* blanks = " \t";
    std::size_t start = text.find_first_not_of(blanks);
    if (start == std::string::npos) {
        text.clear();
        return "";
    }
    std::size_t end = text.find_first_of(blanks, start);
    std::string item = text.substr(start, end == std::string::npos ? end : end - start);
    text = end == std::string::npos ? std::string() : text.substr(end);
    return item;
}

}  // namespace zelkon
