#pragma once

#include <string>

namespace zelkon {

// The process's environment variables.
class Environment {
  public:
    virtual ~Environment() = default;
    // The value of a variable; empty when it is not set.
    virtual std::string get(const std::string& name) const = 0;
};

}  // namespace zelkon
