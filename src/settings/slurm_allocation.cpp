#include "settings/slurm_allocation.h"

#include "settings/server_list.h"

namespace zelkon {
namespace {

bool all_digits(const std::string& text) {
    if (text.empty() || text.size() > 9) {
        return false;  // nine digits keep every value within an int32
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

// Splits at the commas outside brackets.
std::vector<std::string> top_level_items(const std::string& text) {
    std::vector<std::string> items(1);
    int depth = 0;
    for (char c : text) {
        depth += c == '[' ? 1 : c == ']' ? -1 : 0;
        if (c == ',' && depth == 0) {
            items.emplace_back();
        } else {
            items.back() += c;
        }
    }
    return items;
}

std::vector<std::string> split_commas(const std::string& text) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == ',') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

std::string padded(std::int32_t value, std::size_t width) {
    std::string digits = std::to_string(value);
    return digits.size() < width ? std::string(width - digits.size(), '0') + digits : digits;
}

// The numbers of one bracket's ranges ("01-03,07"), zero-padded to the
// width of each range's first number, as the scheduler writes them.
std::string expand_ranges(const std::string& ranges, std::vector<std::string>& numbers) {
    for (const std::string& range : split_commas(ranges)) {
        std::size_t dash = range.find('-');
        std::string low = range.substr(0, dash);
        std::string high = dash == std::string::npos ? low : range.substr(dash + 1);
        if (!all_digits(low) || !all_digits(high) || std::stol(low) > std::stol(high)) {
            return "not a range: \"" + range + "\"";
        }
        for (std::int32_t n = std::stoi(low); n <= std::stoi(high); ++n) {
            if (numbers.size() >= static_cast<std::size_t>(kMaxTaskServers)) {
                return "more than " + std::to_string(kMaxTaskServers) + " nodes";
            }
            numbers.push_back(padded(n, low.size()));
        }
    }
    return "";
}

// One item: text with any number of bracket groups, each multiplying the
// names made so far.
std::string expand_item(const std::string& item, std::vector<std::string>& nodes) {
    std::vector<std::string> names = {""};
    std::size_t at = 0;
    while (at < item.size()) {
        std::size_t open = item.find('[', at);
        std::string plain = item.substr(at, open == std::string::npos ? open : open - at);
        if (plain.find(']') != std::string::npos) {
            return "a \"]\" without its \"[\"";
        }
        for (std::string& name : names) {
            name += plain;
        }
        if (open == std::string::npos) {
            break;
        }
        std::size_t close = item.find(']', open);
        if (close == std::string::npos) {
            return "a \"[\" without its \"]\"";
        }
        std::vector<std::string> numbers;
        std::string error = expand_ranges(item.substr(open + 1, close - open - 1), numbers);
        if (!error.empty()) {
            return error;
        }
        std::vector<std::string> longer;
        for (const std::string& name : names) {
            for (const std::string& number : numbers) {
                longer.push_back(name + number);
            }
        }
        if (longer.size() > static_cast<std::size_t>(kMaxTaskServers)) {
            return "more than " + std::to_string(kMaxTaskServers) + " nodes";
        }
        names = std::move(longer);
        at = close + 1;
    }
    if (names.front().empty()) {
        return "an empty node name";
    }
    nodes.insert(nodes.end(), names.begin(), names.end());
    return "";
}

}  // namespace

std::string expand_node_list(const std::string& text, std::vector<std::string>& nodes) {
    nodes.clear();
    for (const std::string& item : top_level_items(text)) {
        std::string error = expand_item(item, nodes);
        if (error.empty() && nodes.size() > static_cast<std::size_t>(kMaxTaskServers)) {
            error = "more than " + std::to_string(kMaxTaskServers) + " nodes";
        }
        if (!error.empty()) {
            nodes.clear();
            return error;
        }
    }
    return "";
}

std::string expand_tasks_per_node(const std::string& text, std::vector<std::int32_t>& counts) {
    counts.clear();
    for (const std::string& item : split_commas(text)) {
        std::size_t open = item.find("(x");
        std::string count = item.substr(0, open);
        std::string repeat =
            open == std::string::npos ? "1" : item.substr(open + 2, item.size() - open - 2);
        bool closed = open == std::string::npos || (!repeat.empty() && repeat.back() == ')');
        if (open != std::string::npos && closed) {
            repeat.pop_back();
        }
        if (!closed || !all_digits(count) || !all_digits(repeat) ||
            counts.size() + std::stoul(repeat) > static_cast<std::size_t>(kMaxTaskServers)) {
            counts.clear();
            return "not a task count: \"" + item + "\"";
        }
        counts.insert(counts.end(), std::stoul(repeat), std::stoi(count));
    }
    return "";
}

}  // namespace zelkon
