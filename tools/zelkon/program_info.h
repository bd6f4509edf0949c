#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace zelkon_ref {

// What --help says about one of the reference programs.
struct ProgramInfo {
    std::string name;
    std::string arguments;    // after "[options] " on the usage line
    std::string description;  // paragraphs, lines ending in "\n"
    std::vector<std::pair<int, std::string>> exit_codes;
};

// Answers --help (-h) and --version (-v), and refuses any other argument that
// begins with "--" as an unknown option. Returns the exit code when the
// program should end at once; otherwise the arguments are its own.
std::optional<int> answer_standard_options(const std::vector<std::string>& args,
                                           const ProgramInfo& info, std::ostream& out,
                                           std::ostream& err);

}  // namespace zelkon_ref
