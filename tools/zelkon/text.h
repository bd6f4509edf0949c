// Small text helpers shared by the reference Zelkon programs.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelkon_ref {

std::string trim(std::string_view text);

// Blank-separated items of a text, in order.
std::vector<std::string> split_items(std::string_view text);

// The whole (trimmed) text as a whole number or a real number; nothing when it is not one.
std::optional<long long> parse_integer(std::string_view text);
std::optional<double> parse_real(std::string_view text);

// Number formatted with at least six digits, zero-padded ("000012").
std::string six_digits(long long value);

}  // namespace zelkon_ref
