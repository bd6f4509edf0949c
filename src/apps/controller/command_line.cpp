#include "apps/controller/command_line.h"

#include <QCommandLineParser>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

#include "apps/program_help.h"

namespace zelkon {
namespace {

constexpr const char* kProgram = "zelkon-cluster-controller";

const std::vector<ExitCode> kExitCodes = {
    {0, "every task was assembled, or (--test-setup) the set-up appears correct"},
    {1, "the set-up stopped, an error or a stop ended the run, or no run started"},
    {2, "a usage error, or no display to show the window on"}};

bool is_set(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

ControllerOptions parse_controller_options(const std::vector<std::string>& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "The Zelkon cluster controller: computes the sensitivity matrix of a Zelkon inversion\n"
        "as many tasks spread over a set of computers, the task servers, and merges the\n"
        "pieces into the matrix files. It shows its window unless --headless is given.");
    StandardOptions standard = add_standard_options(parser);
    QCommandLineOption headless("headless",
                                "Run without a window: the run log goes to standard output, "
                                "messages to standard error with their default answer.");
    QCommandLineOption test_setup("test-setup",
                                  "With a folder: test the cluster set-up instead of starting "
                                  "a run; exit 0 only when it appears to be correct.");
    QCommandLineOption settings("settings", "Read the settings file FILE before starting.", "FILE");
    parser.addOption(headless);
    parser.addOption(test_setup);
    parser.addOption(settings);
    parser.addPositionalArgument("FOLDER", "Inversion folder to start a run in at once.",
                                 "[FOLDER]");

    QStringList list;
    for (const auto& argument : arguments) {
        list << QString::fromStdString(argument);
    }
    ControllerOptions options;
    if (!parser.parse(list)) {
        options.ok = false;
        options.error = parser.errorText().toStdString();
        return options;
    }
    if (parser.isSet(standard.help)) {
        std::fputs(program_help(parser, kProgram, kExitCodes).c_str(), stdout);
        options.exit_now = true;
        return options;
    }
    if (parser.isSet(standard.version)) {
        std::fputs(version_line(kProgram).c_str(), stdout);
        options.exit_now = true;
        return options;
    }
    options.headless = parser.isSet(headless);
    options.test_setup = parser.isSet(test_setup);
    options.settings_file = parser.value(settings).toStdString();
    // The first argument is the folder; further words are ignored, as after a
    // quoted folder.
    QStringList positional = parser.positionalArguments();
    options.folder_text = positional.isEmpty() ? std::string() : positional.first().toStdString();
    return options;
}

bool display_available() {
    return is_set("DISPLAY") || is_set("WAYLAND_DISPLAY") || is_set("QT_QPA_PLATFORM");
}

}  // namespace zelkon
