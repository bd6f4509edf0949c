#include "apps/controller/command_line.h"

#include <QCommandLineParser>
#include <QStringList>
#include <algorithm>
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

// A job ID as the window takes it: a whole number from 1 to 999999.
bool read_job_id(const QString& text, std::int32_t& job_id) {
    bool digits = !text.isEmpty() && text.size() <= 6 &&
                  std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
    job_id = digits ? text.toInt() : 0;
    return job_id >= 1;
}

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
    QCommandLineOption job("job",
                           "Use job ID (1 to 999999) over the stored, proposed or settings "
                           "file's one: with a folder, continues that job's unfinished run.",
                           "ID");
    parser.addOption(headless);
    parser.addOption(test_setup);
    parser.addOption(settings);
    parser.addOption(job);
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
    if (parser.isSet(job) && !read_job_id(parser.value(job), options.job_id)) {
        options.ok = false;
        options.error = "--job takes a job ID from 1 to 999999, not \"" +
                        parser.value(job).toStdString() + "\"";
        return options;
    }
    // The first argument is the folder; further words are ignored, as after a
    // quoted folder.
    QStringList positional = parser.positionalArguments();
    options.folder_text = positional.isEmpty() ? std::string() : positional.first().toStdString();
    if (options.headless && options.folder_text.empty()) {
        options.ok = false;
        options.error =
            "--headless needs an inversion folder: zelkon-cluster-controller "
            "--headless [options] FOLDER";
    }
    return options;
}

bool display_available() {
    return is_set("DISPLAY") || is_set("WAYLAND_DISPLAY") || is_set("QT_QPA_PLATFORM");
}

}  // namespace zelkon
