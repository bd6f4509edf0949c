#pragma once

#include <string>

namespace zelkon {

// The extension of a path's last component (after its last "."), empty when
// it has none.
std::string extension_of(const std::string& path);

// The path with "." and the extension appended when it has no extension.
std::string with_default_extension(const std::string& path, const std::string& extension);

}  // namespace zelkon
