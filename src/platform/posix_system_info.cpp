#include "platform/posix_system_info.h"

#include <unistd.h>

#include <filesystem>

namespace zelkon {

std::string PosixCurrentDirectory::get() const {
    std::error_code error;
    auto path = std::filesystem::current_path(error);
    return error ? std::string() : path.string();
}

bool PosixCurrentDirectory::set(const std::string& path) {
    std::error_code error;
    std::filesystem::current_path(path, error);
    return !error;
}

std::string short_host_name(const std::string& host_name) {
    std::string name = host_name.substr(0, host_name.find('.'));
    return name.substr(0, 31);
}

std::string HostComputerName::get() const {
    char buffer[256] = {};
    if (gethostname(buffer, sizeof buffer - 1) != 0) {
        return "";
    }
    return short_host_name(buffer);
}

}  // namespace zelkon
