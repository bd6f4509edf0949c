// One line of an assembly log, decoded by its fixed columns.
#include "assembly/assembly_log.h"
#include "fuzz_support.h"
#include "platform/error.h"

using namespace zelkon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    // The first byte picks the number of components, beyond the six a run has too.
    std::int32_t components = data[0] % 9;
    std::string line = fuzz::text_of(data + 1, size - 1);
    std::int32_t task = -5;
    std::int32_t first = -5;
    std::int32_t last = -5;
    std::int32_t ierr = 99;
    std::array<double, kMaxComponents + 1> sizes{};
    decode_cluster_assembly_line(line, task, first, last, components, sizes, ierr);
    fuzz::require(ierr == 0 || ierr == -1, "a decoded line ends with ierr 0 or -1");
    try {
        fuzz::require(assembly_time_of(line).scaled() >= 0, "an assembly time is never negative");
    } catch (const ZelkonError& error) {
        fuzz::require(error.number() == kErrorOverflow, "a time out of range is an overflow");
    }
    return 0;
}
