#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/system_info.h"

namespace zelkon {

// Seconds as "hh:mm:ss", or "d hh:mm:ss" from a whole day on. Rounds to whole
// seconds, halves to even; throws ZelkonError "Overflow" past 32 bits.
std::string format_duration(double seconds);

// This computer's short name.
std::string get_computer_name(const ComputerName& computer);

// "Yes" for any non-zero flag, else "No".
std::string yes_no(std::int64_t flag);

// True when text, less surrounding blanks, is one complete decimal number
// (sign, digits, optional fraction, optional exponent), in any locale.
bool is_numeric(const std::string& text);

// The number of a numeric text; throws ZelkonError "Type mismatch" otherwise.
double number_of(const std::string& text);

// A whole 32-bit number, halves to the even neighbour; throws ZelkonError
// "Overflow" when it does not fit.
std::int32_t whole_number(double value);

// whole_number(number_of(text)).
std::int32_t whole_number_of(const std::string& text);

// The leading number of a text: blanks, tabs and line feeds are ignored
// wherever they stand, reading stops at the first character that cannot
// continue the number, and no number gives 0.
double leading_number(const std::string& text);

// A number written with one of the patterns "0", "0.0", "0.00" or "000000"
// (at least six digits, zero-padded). Halves round away from zero, as the
// display patterns always have.
std::string format_number(double value, const std::string& pattern);

// A date-time in local time with "dd-mmm-yyyy Hh:Nn:Ss" (06-Dec-2026 14:05:09,
// the month in the user's locale) or "Hh:Nn:Ss".
std::string format_date_time(const Clock& clock, DateTime when, const std::string& pattern);

// The date in the user's short date form.
std::string format_short_date(const Clock& clock, DateTime when);

std::string trim(const std::string& text);
// The parts of a text between separators, empty ones included ("a//b" has 3).
std::vector<std::string> split_at(const std::string& text, char separator);
std::string to_upper(std::string text);

// A folder path with its trailing "/".
std::string with_separator(const std::string& folder);

// The record of a job's set-up, in its inversion folder (local_path ends in "/").
std::string setup_info_file(const std::string& local_path, const std::string& job_id);

}  // namespace zelkon
