#pragma once

#include "platform/system_info.h"

namespace zelkon {

class PosixCurrentDirectory : public CurrentDirectory {
  public:
    std::string get() const override;
    bool set(const std::string& path) override;
};

class HostComputerName : public ComputerName {
  public:
    std::string get() const override;
};

// The short form of a host name: up to the first ".", at most 31 characters.
std::string short_host_name(const std::string& host_name);

}  // namespace zelkon
