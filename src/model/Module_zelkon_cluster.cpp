#include "model/Module_zelkon_cluster.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/error.h"

namespace zelkon {
namespace {

constexpr int kErrorTypeMismatch = 13;

std::string two_digits(std::int32_t value) {
    std::string digits = std::to_string(value < 0 ? -static_cast<std::int64_t>(value) : value);
    if (digits.size() < 2) {
        digits.insert(0, 1, '0');
    }
    return (value < 0 ? "-" : "") + digits;
}

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t skip_digits(const std::string& text, std::size_t at) {
    while (at < text.size() && is_digit(text[at])) {
        ++at;
    }
    return at;
}

// The length of the longest decimal number at the front of text (sign,
// digits, optional fraction, optional exponent), 0 when there is none.
std::size_t number_length(const std::string& text) {
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        ++at;
    }
    std::size_t digits_start = at;
    at = skip_digits(text, at);
    std::size_t whole_digits = at - digits_start;
    std::size_t fraction_digits = 0;
    if (at < text.size() && text[at] == '.') {
        std::size_t fraction_end = skip_digits(text, at + 1);
        fraction_digits = fraction_end - at - 1;
        if (whole_digits > 0 || fraction_digits > 0) {
            at = fraction_end;
        }
    }
    if (whole_digits == 0 && fraction_digits == 0) {
        return 0;
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        std::size_t exponent = at + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) {
            ++exponent;
        }
        std::size_t exponent_end = skip_digits(text, exponent);
        if (exponent_end > exponent) {
            at = exponent_end;
        }
    }
    return at;
}

// Whether a number out of a double's range is too small for it rather than
// too large: such a number reads as 0, as it would in arithmetic.
bool underflows(const std::string& number) {
    locale_t c_locale = newlocale(LC_ALL_MASK, "C", nullptr);
    errno = 0;
    double value = strtod_l(number.c_str(), nullptr, c_locale);
    bool tiny = errno == ERANGE && std::fabs(value) < 1.0;
    freelocale(c_locale);
    return tiny;
}

// Reads a number that number_length() accepted, in any locale.
double read_number(std::string number) {
    if (number[0] == '+') {
        number.erase(0, 1);
    }
    double value = 0.0;
    auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range && !underflows(number)) {
        throw ZelkonError(kErrorOverflow, "Overflow");
    }
    return result.ec == std::errc::result_out_of_range ? 0.0 : value;
}

}  // namespace

std::string format_duration(double seconds) {
    std::int32_t n = whole_number(seconds);
    std::int32_t days = n / 86400;
    std::int32_t rest = n - days * 86400;
    std::int32_t hours = rest / 3600;
    std::int32_t rest2 = rest - hours * 3600;
    std::int32_t minutes = rest2 / 60;
    std::int32_t secs = rest2 - minutes * 60;
    std::string clock = two_digits(hours) + ":" + two_digits(minutes) + ":" + two_digits(secs);
    if (days < 1) {
        return clock;
    }
    return std::to_string(days) + " " + clock;
}

std::string get_computer_name(const ComputerName& computer) {
    return computer.get().substr(0, 31);
}

std::string yes_no(std::int64_t flag) {
    return flag != 0 ? "Yes" : "No";
}

bool is_numeric(const std::string& text) {
    std::string number = trim(text);
    return !number.empty() && number_length(number) == number.size();
}

double number_of(const std::string& text) {
    if (!is_numeric(text)) {
        throw ZelkonError(kErrorTypeMismatch, "Type mismatch");
    }
    return read_number(trim(text));
}

std::int32_t whole_number(double value) {
    double rounded = std::nearbyint(value);  // the default rounding mode: halves to even
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) {
        throw ZelkonError(kErrorOverflow, "Overflow");
    }
    return static_cast<std::int32_t>(rounded);
}

std::int32_t whole_number_of(const std::string& text) {
    return whole_number(number_of(text));
}

double leading_number(const std::string& text) {
    std::string compact;
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') {
            compact.push_back(c);
        }
    }
    std::size_t length = number_length(compact);
    return length == 0 ? 0.0 : read_number(compact.substr(0, length));
}

std::string format_number(double value, const std::string& pattern) {
    int decimals = 0;
    int min_digits = 1;
    if (pattern == "0.0") {
        decimals = 1;
    } else if (pattern == "0.00") {
        decimals = 2;
    } else if (pattern == "000000") {
        min_digits = 6;
    } else if (pattern != "0") {
        throw ZelkonError(kErrorInvalidProcedureCall,
                          "Invalid procedure call or argument: pattern " + pattern);
    }
    double scale = std::pow(10.0, decimals);
    double rounded = std::round(value * scale) / scale;  // halves away from zero
    if (rounded == 0.0) {
        rounded = 0.0;  // no "-0"
    }
    int width = min_digits + (rounded < 0 ? 1 : 0);
    int length = std::snprintf(nullptr, 0, "%0*.*f", width, decimals, rounded);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%0*.*f", width, decimals, rounded);
    text.pop_back();
    return text;
}

std::string format_date_time(const Clock& clock, DateTime when, const std::string& pattern) {
    if (pattern == "dd-mmm-yyyy Hh:Nn:Ss") {
        return clock.format_local(when, "%d-%b-%Y %H:%M:%S");
    }
    if (pattern == "Hh:Nn:Ss") {
        return clock.format_local(when, "%H:%M:%S");
    }
    throw ZelkonError(kErrorInvalidProcedureCall,
                      "Invalid procedure call or argument: pattern " + pattern);
}

std::string format_short_date(const Clock& clock, DateTime when) {
    return clock.format_local(when, "%x");
}

std::vector<std::string> split_at(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            return parts;
        }
        start = end + 1;
    }
}

std::string trim(const std::string& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && is_blank(text[first])) {
        ++first;
    }
    while (last > first && is_blank(text[last - 1])) {
        --last;
    }
    return text.substr(first, last - first);
}

std::string with_separator(const std::string& folder) {
    return !folder.empty() && folder.back() == '/' ? folder : folder + "/";
}

std::string setup_info_file(const std::string& local_path, const std::string& job_id) {
    return local_path + "zelkon_cluster_init_" + job_id + ".info";
}

std::string to_upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

}  // namespace zelkon
