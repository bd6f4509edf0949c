#include "platform/dial_failure.h"

#include <algorithm>
#include <cctype>

namespace zelkon {
namespace {

// ssh's and the C library's words, lower-cased.
constexpr const char* kMachineWide[] = {
    "no route to host",
    "network is unreachable",
    "could not resolve hostname",
    "name or service not known",
    "temporary failure in name resolution",
    "connection refused",
    "timed out",
    "permission denied",
    "host key verification failed",
};

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

bool holds_for_whole_machine(const std::string& reason) {
    std::string text = lower(reason);
    return std::any_of(
        std::begin(kMachineWide), std::end(kMachineWide),
        [&text](const char* words) { return text.find(words) != std::string::npos; });
}

}  // namespace zelkon
