// The one error type of the reference programs: its text is shown to the user as it stands.
#pragma once

#include <stdexcept>
#include <string>

namespace zelkon_ref {

class ZelkonError : public std::runtime_error {
  public:
    explicit ZelkonError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace zelkon_ref
