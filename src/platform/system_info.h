#pragma once

#include <string>

namespace zelkon {

// The process's current directory.
class CurrentDirectory {
  public:
    virtual ~CurrentDirectory() = default;
    virtual std::string get() const = 0;
    // False when the folder cannot be made current.
    virtual bool set(const std::string& path) = 0;
};

class ComputerName {
  public:
    virtual ~ComputerName() = default;
    // The host's short name, at most 31 characters.
    virtual std::string get() const = 0;
};

}  // namespace zelkon
