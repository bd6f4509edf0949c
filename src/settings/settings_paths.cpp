#include "settings/settings_paths.h"

namespace zelkon {

std::string extension_of(const std::string& path) {
    std::size_t name_start = path.find_last_of('/');
    name_start = name_start == std::string::npos ? 0 : name_start + 1;
    std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < name_start) {
        return "";
    }
    return path.substr(dot + 1);
}

std::string with_default_extension(const std::string& path, const std::string& extension) {
    return extension_of(path).empty() ? path + "." + extension : path;
}

}  // namespace zelkon
