#include "text.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zelkon_ref {

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::string trim(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && is_blank(text[begin])) {
        ++begin;
    }
    while (end > begin && is_blank(text[end - 1])) {
        --end;
    }
    return std::string(text.substr(begin, end - begin));
}

std::vector<std::string> split_items(std::string_view text) {
    std::vector<std::string> items;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && is_blank(text[i])) {
            ++i;
        }
        size_t start = i;
        while (i < text.size() && !is_blank(text[i])) {
            ++i;
        }
        if (i > start) {
            items.emplace_back(text.substr(start, i - start));
        }
    }
    return items;
}

std::optional<long long> parse_integer(std::string_view text) {
    std::string s = trim(text);
    if (s.empty()) {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    long long value = std::strtoll(s.c_str(), &end, 10);
    if (errno != 0 || end != s.c_str() + s.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> parse_real(std::string_view text) {
    std::string s = trim(text);
    // strtod also takes hexadecimal, "inf" and "nan"; an input file means plain decimals.
    if (s.empty() || s.find_first_not_of("0123456789+-.eE") != std::string::npos) {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    double value = std::strtod(s.c_str(), &end);
    if (errno != 0 || end != s.c_str() + s.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string six_digits(long long value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%06lld", value);
    return buffer;
}

}  // namespace zelkon_ref
