#include "apps/listener/listener_options.h"

#include <QCommandLineParser>
#include <algorithm>
#include <iostream>
#include <thread>

#include "apps/program_help.h"

namespace zelkon {
namespace {

constexpr const char* kProgram = "zelkon-listener";

const std::vector<ExitCode> kExitCodes = {
    {0, "stopped by SIGINT or SIGTERM; with --dial, either side ended the session"},
    {1, "the pipe cannot be listened on, or with --dial reached"},
    {2, "a usage error"}};

int default_max_clients() {
    unsigned processors = std::thread::hardware_concurrency();
    return processors == 0 ? 1 : static_cast<int>(std::min(processors, 254u));
}

void describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        "The Zelkon task server listener: serves the Zelkon cluster controller's pipe requests\n"
        "on this computer, starting each requested task command line, and with --dial joins\n"
        "a remote controller's ssh session to the local pipe.");
    parser.addOption({"pipe", "Listen on the pipe <name> (default Zelkon_Server).", "name"});
    parser.addOption({"max-clients",
                      "Serve at most <n> clients at once, 1 to 255, 255 meaning no limit "
                      "(default: the number of processors).",
                      "n"});
    parser.addOption({"dial", "Join standard input and output to the local pipe <name>.", "name"});
}

bool read_max_clients(const QCommandLineParser& parser, ListenerOptions& options) {
    options.max_clients = default_max_clients();
    if (!parser.isSet("max-clients")) {
        return true;
    }
    bool numeric = false;
    options.max_clients = parser.value("max-clients").toInt(&numeric);
    if (!numeric || options.max_clients < 1 || options.max_clients > 255) {
        std::cerr << kProgram << ": --max-clients must be a whole number from 1 to 255"
                  << std::endl;
        return false;
    }
    return true;
}

}  // namespace

ParseOutcome parse_listener_options(const QStringList& arguments, ListenerOptions& options) {
    QCommandLineParser parser;
    StandardOptions standard = add_standard_options(parser);
    describe(parser);
    if (!parser.parse(arguments)) {
        std::cerr << kProgram << ": " << parser.errorText().toStdString() << std::endl;
        return ParseOutcome::usage_error;
    }
    if (parser.isSet(standard.help)) {
        std::cout << program_help(parser, kProgram, kExitCodes);
        return ParseOutcome::answered;
    }
    if (parser.isSet(standard.version)) {
        std::cout << version_line(kProgram);
        return ParseOutcome::answered;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::cerr << kProgram << ": unexpected argument '"
                  << parser.positionalArguments().first().toStdString() << "'" << std::endl;
        return ParseOutcome::usage_error;
    }
    if (parser.isSet("pipe")) {
        options.pipe_name = parser.value("pipe").toStdString();
    }
    if (parser.isSet("dial")) {
        options.dial = true;
        options.dial_name = parser.value("dial").toStdString();
    }
    return read_max_clients(parser, options) ? ParseOutcome::run : ParseOutcome::usage_error;
}

}  // namespace zelkon
