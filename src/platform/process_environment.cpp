#include "platform/process_environment.h"

#include <cstdlib>

namespace zelkon {

std::string ProcessEnvironment::get(const std::string& name) const {
    const char* value = std::getenv(name.c_str());
    return value == nullptr ? std::string() : std::string(value);
}

}  // namespace zelkon
