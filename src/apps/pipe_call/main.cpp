// zelkon-pipe-call: sends one request to a task server's listener and prints
// the reply, so that a person can check each server before a run.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <iostream>

#include "piperpc/pipe_error_text.h"
#include "piperpc/pipe_rpc.h"
#include "piperpc/utf16.h"
#include "platform/posix_system_info.h"
#include "platform/qt_event_loop.h"
#include "platform/unix_pipe_transport.h"

namespace {

struct Options {
    std::string server = ".";
    std::string pipe_name = "Zelkon_Server";
    int timeout_ms = 5000;
    std::string request;
};

bool parse(QCoreApplication& app, Options& options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Sends one request to a zelkon-listener and prints its reply. \"Num pipes:\" asks the "
        "listener for its computer's name and how many clients it serves.");
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption server("server", "The listener's computer (\".\" is this one).", "HOST",
                              ".");
    QCommandLineOption pipe("pipe", "The pipe name.", "NAME", "Zelkon_Server");
    QCommandLineOption timeout("timeout", "How long to wait for a free pipe, in ms.", "MS", "5000");
    parser.addOption(server);
    parser.addOption(pipe);
    parser.addOption(timeout);
    parser.addPositionalArgument("REQUEST", "The request text, for example \"Num pipes:\".");
    parser.process(app);
    if (parser.positionalArguments().size() != 1) {
        std::cerr << "zelkon-pipe-call: give one request text (see --help)" << std::endl;
        return false;
    }
    bool number = false;
    options.timeout_ms = parser.value(timeout).toInt(&number);
    if (!number || options.timeout_ms < 0) {
        std::cerr << "zelkon-pipe-call: --timeout takes a number of milliseconds" << std::endl;
        return false;
    }
    options.server = parser.value(server).toStdString();
    options.pipe_name = parser.value(pipe).toStdString();
    options.request = parser.positionalArguments().first().toStdString();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(ZELKON_VERSION);
    Options options;
    if (!parse(app, options)) {
        return 2;
    }
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
            std::cerr << "zelkon-pipe-call: no reply from " << options.server << ": "
                      << zelkon::pipe_error_text(code) << " (" << code << ")" << std::endl;
            return 1;
        }
        std::cout << zelkon::from_utf16le(response.bytes) << std::endl;
        return 0;
    } catch (const zelkon::ZelkonError& error) {
        std::cerr << "zelkon-pipe-call: " << error.description() << std::endl;
        return 1;
    }
}
