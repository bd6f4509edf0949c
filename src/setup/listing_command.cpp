#include "setup/listing_command.h"

#include <cctype>

namespace zelkon {
namespace {

bool plain_path_character(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 ||
           std::string("/._-+,:@%=").find(c) != std::string::npos;
}

std::string for_shell(const std::string& folder) {
    bool plain = true;
    for (char c : folder) {
        plain = plain && plain_path_character(c);
    }
    if (plain) {
        return folder;
    }
    std::string quoted = "'";
    for (char c : folder) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

}  // namespace

std::string listing_command(const std::string& folder) {
    std::string shell_folder = for_shell(folder);
    return "dir " + shell_folder + "*.* > " + shell_folder + "dir.lst";
}

}  // namespace zelkon
