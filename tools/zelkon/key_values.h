// Reader of the "key = value" text used by zelkon.inp and the cluster data file.
#pragma once

#include <string>
#include <vector>

namespace zelkon_ref {

struct KeyValue {
    std::string key;
    std::string value;
    int line = 0;
};

// Blank lines are skipped; "#" starts a comment at the start of a line or after a blank.
// A line without "=" or with an empty key throws ZelkonError naming the source and line.
std::vector<KeyValue> parse_key_values(const std::string& text, const std::string& source);

}  // namespace zelkon_ref
