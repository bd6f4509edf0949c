#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <string>
#include <utility>
#include <vector>

namespace zelkon {

// The help and version options of every program. Qt's own help option would
// also offer --help-all, which needs Qt to handle the command line itself.
struct StandardOptions {
    QCommandLineOption help{QStringList{"h", "help"}, "Show this help and exit."};
    QCommandLineOption version{QStringList{"v", "version"}, "Show the program's version and exit."};
};

inline StandardOptions add_standard_options(QCommandLineParser& parser) {
    StandardOptions options;
    parser.addOption(options.help);
    parser.addOption(options.version);
    return options;
}

// One exit code and what it means.
using ExitCode = std::pair<int, std::string>;

// The text of --help: Qt's help under the program's own name (Qt shows the
// path it was started by, or a placeholder when there is no application yet),
// then what the exit codes mean.
inline std::string program_help(const QCommandLineParser& parser, const std::string& program,
                                const std::vector<ExitCode>& exit_codes) {
    std::string text = parser.helpText().toStdString();
    std::size_t name_end = text.find(" [options]");
    if (text.rfind("Usage: ", 0) == 0 && name_end != std::string::npos) {
        text.replace(0, name_end, "Usage: " + program);
    }
    text += "\nExit status:\n";
    for (const auto& [code, meaning] : exit_codes) {
        text += "  " + std::to_string(code) + "  " + meaning + "\n";
    }
    return text;
}

// The line of --version.
inline std::string version_line(const std::string& program) {
    return program + " " + ZELKON_VERSION + "\n";
}

}  // namespace zelkon
