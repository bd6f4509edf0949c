// A task log's "Clock time taken: <minutes>" line, read by its leading number.
#include "fuzz_support.h"
#include "model/Module_zelkon_cluster.h"
#include "platform/error.h"

using namespace zelkon;

namespace {

std::string value_after_colon(const std::string& line) {
    std::size_t colon = line.find(':');
    return colon == std::string::npos ? line : line.substr(colon + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string value = value_after_colon(fuzz::text_of(data, size));
    double minutes = 0.0;
    try {
        minutes = leading_number(value);
    } catch (const ZelkonError&) {
        return 0;  // a number beyond a double's range
    }
    fuzz::require(minutes == minutes, "the leading number is never NaN");
    if (is_numeric(value)) {
        fuzz::require(number_of(value) == minutes, "a whole number reads alike both ways");
    }
    try {
        format_duration(minutes * 60.0);
        format_number(minutes, "0.00");
    } catch (const ZelkonError&) {
        // too many seconds to show as a duration
    }
    return 0;
}
