#include "apps/controller/command_line.h"

#include <QCommandLineParser>
#include <QStringList>
#include <cstdio>

namespace zelkon {

ControllerOptions parse_controller_options(const std::vector<std::string>& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Computes the sensitivity matrix of a Zelkon inversion as tasks spread over a set of "
        "computers.");
    QCommandLineOption help = parser.addHelpOption();
    QCommandLineOption version = parser.addVersionOption();
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
    if (parser.isSet(help)) {
        std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
        options.exit_now = true;
        return options;
    }
    if (parser.isSet(version)) {
        std::printf("zelkon-cluster-controller %s\n", ZELKON_VERSION);
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

}  // namespace zelkon
