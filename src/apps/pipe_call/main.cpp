// zelkon-pipe-call: sends one request to a task server's listener and prints
// the reply, so that a person can check each server before a run.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <iostream>

#include "apps/program_help.h"
#include "piperpc/pipe_error_text.h"
#include "piperpc/pipe_rpc.h"
#include "piperpc/utf16.h"
#include "platform/posix_system_info.h"
#include "platform/qt_event_loop.h"
#include "platform/unix_pipe_transport.h"

namespace {

constexpr const char* kProgram = "zelkon-pipe-call";
constexpr int kAnswered = -1;  // --help or --version: nothing more to do

const std::vector<zelkon::ExitCode> kExitCodes = {
    {0, "the listener replied, and not with an error"},
    {1, "no reply came, or the reply is \"Error: ...\""},
    {2, "a usage error"}};

struct Options {
    std::string server = ".";
    std::string pipe_name = "Zelkon_Server";
    int timeout_ms = 5000;
    std::string request;
};

void describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        "The Zelkon pipe client: sends one request to a zelkon-listener and prints its reply.\n"
        "\"Num pipes:\" asks the listener for its computer's name and how many clients it "
        "serves.");
    parser.addOption({"server", "The listener's computer (\".\" is this one).", "HOST", "."});
    parser.addOption({"pipe", "The pipe name.", "NAME", "Zelkon_Server"});
    parser.addOption({"timeout", "How long to wait for a free pipe, in ms.", "MS", "5000"});
    parser.addPositionalArgument("REQUEST", "The request text, for example \"Num pipes:\".");
}

// 0 to go on, kAnswered, or the exit code of a usage error.
int parse(const QStringList& arguments, Options& options) {
    QCommandLineParser parser;
    zelkon::StandardOptions standard = zelkon::add_standard_options(parser);
    describe(parser);
    if (!parser.parse(arguments)) {
        std::cerr << kProgram << ": " << parser.errorText().toStdString() << std::endl;
        return 2;
    }
    if (parser.isSet(standard.help) || parser.isSet(standard.version)) {
        std::cout << (parser.isSet(standard.help)
                          ? zelkon::program_help(parser, kProgram, kExitCodes)
                          : zelkon::version_line(kProgram));
        return kAnswered;
    }
    if (parser.positionalArguments().size() != 1) {
        std::cerr << kProgram << ": give one request text (see --help)" << std::endl;
        return 2;
    }
    bool number = false;
    options.timeout_ms = parser.value("timeout").toInt(&number);
    if (!number || options.timeout_ms < 0) {
        std::cerr << kProgram << ": --timeout takes a number of milliseconds" << std::endl;
        return 2;
    }
    options.server = parser.value("server").toStdString();
    options.pipe_name = parser.value("pipe").toStdString();
    options.request = parser.positionalArguments().first().toStdString();
    return 0;
}

int call(const Options& options) {
    zelkon::UnixPipeTransport transport(zelkon::UnixPipeConfig::from_environment());
    zelkon::QtTimerFactory timers;
    zelkon::HostComputerName computer_name;
    zelkon::PipeRPC pipe(transport, timers, computer_name);
    try {
        pipe.SetServer(options.server);
        pipe.SetPipeName(options.pipe_name);
        pipe.SetTimeout(options.timeout_ms);
        zelkon::ByteArray request = zelkon::ByteArray::of(zelkon::to_utf16le(options.request));
        zelkon::ByteArray response = zelkon::ByteArray::with_bounds(0, 255);
        int code = pipe.PipeCall(request, response);
        if (code != 0) {
            std::cerr << kProgram << ": no reply from " << options.server << ": "
                      << zelkon::pipe_error_text(code) << " (" << code << ")" << std::endl;
            return 1;
        }
        std::string reply = zelkon::from_utf16le(response.bytes);
        std::cout << reply << std::endl;
        // The listener refused the request or could not start it.
        return reply.rfind("Error: ", 0) == 0 ? 1 : 0;
    } catch (const zelkon::ZelkonError& error) {
        std::cerr << kProgram << ": " << error.description() << std::endl;
        return 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Options options;
    int parsed = parse(QCoreApplication::arguments(), options);
    if (parsed != 0) {
        return parsed == kAnswered ? 0 : parsed;
    }
    return call(options);
}
