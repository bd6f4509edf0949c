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

std::vector<std::string> split_text_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(current);
            current.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty()) {
        lines.push_back(current);
    }
    return lines;
}

std::vector<std::string> complete_text_lines(const std::string& text) {
    std::size_t end = text.rfind('\n');
    return split_text_lines(end == std::string::npos ? "" : text.substr(0, end + 1));
}

}  // namespace zelkon
