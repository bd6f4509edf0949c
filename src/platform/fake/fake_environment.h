#pragma once

#include <map>

#include "platform/environment.h"

namespace zelkon {

class FakeEnvironment : public Environment {
  public:
    std::string get(const std::string& name) const override {
        auto it = variables.find(name);
        return it == variables.end() ? std::string() : it->second;
    }
    std::map<std::string, std::string> variables;
};

}  // namespace zelkon
