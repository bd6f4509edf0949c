#include "key_values.h"

#include <sstream>

#include "error.h"
#include "text.h"

namespace zelkon_ref {

namespace {

std::string strip_comment(const std::string& line) {
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) {
            return line.substr(0, i);
        }
    }
    return line;
}

}  // namespace

std::vector<KeyValue> parse_key_values(const std::string& text, const std::string& source) {
    std::vector<KeyValue> entries;
    std::istringstream in(text);
    std::string raw;
    int number = 0;
    while (std::getline(in, raw)) {
        ++number;
        std::string line = trim(strip_comment(raw));
        if (line.empty()) {
            continue;
        }
        size_t equals = line.find('=');
        std::string key = equals == std::string::npos ? "" : trim(line.substr(0, equals));
        if (key.empty()) {
            throw ZelkonError(source + " line " + std::to_string(number) +
                              ": expected \"key = value\", found \"" + line + "\"");
        }
        entries.push_back({key, trim(line.substr(equals + 1)), number});
    }
    return entries;
}

}  // namespace zelkon_ref
