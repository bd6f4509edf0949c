#pragma once

#include "platform/environment.h"

namespace zelkon {

// The environment this process was started with.
class ProcessEnvironment : public Environment {
  public:
    std::string get(const std::string& name) const override;
};

}  // namespace zelkon
