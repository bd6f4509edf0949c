#include "program_info.h"

namespace zelkon_ref {
namespace {

// Laid out as the controller's own programs lay theirs, so that help2man
// reads every program's page the same way.
std::string help_text(const ProgramInfo& info) {
    std::string text = "Usage: " + info.name + " [options] " + info.arguments + "\n" +
                       info.description +
                       "\nOptions:\n"
                       "  -h, --help     Show this help and exit.\n"
                       "  -v, --version  Show the program's version and exit.\n"
                       "\nExit status:\n";
    for (const auto& [code, meaning] : info.exit_codes) {
        text += "  " + std::to_string(code) + "  " + meaning + "\n";
    }
    return text;
}

}  // namespace

std::optional<int> answer_standard_options(const std::vector<std::string>& args,
                                           const ProgramInfo& info, std::ostream& out,
                                           std::ostream& err) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            out << help_text(info);
            return 0;
        }
        if (arg == "--version" || arg == "-v") {
            out << info.name << " " << ZELKON_VERSION << "\n";
            return 0;
        }
        if (arg.starts_with("--")) {
            err << info.name << ": unknown option " << arg << "\nTry --help.\n";
            return 2;
        }
    }
    return std::nullopt;
}

}  // namespace zelkon_ref
