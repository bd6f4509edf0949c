// zelkon-listener: the listener of a task server. It serves the controller's
// pipe requests, and with --dial bridges a remote client's ssh session to the
// local pipe.
#include <unistd.h>

#include <QCoreApplication>
#include <iostream>

#include "apps/listener/dial_bridge.h"
#include "apps/listener/disconnect_text.h"
#include "apps/listener/listener_options.h"
#include "apps/listener/listener_service.h"
#include "piperpc/pipe_error_text.h"
#include "piperpc/pipe_rpc.h"
#include "platform/posix_process_starter.h"
#include "platform/posix_system_info.h"
#include "platform/qt_event_loop.h"
#include "platform/stop_signals.h"
#include "platform/system_clock.h"
#include "platform/unix_pipe_transport.h"

namespace {

using zelkon::PipeRPC;

int run_dial(const zelkon::ListenerOptions& options) {
    std::string path;
    auto config = zelkon::UnixPipeConfig::from_environment();
    if (zelkon::pipe_socket_path(config.folder, options.dial_name, path) != 0) {
        std::cerr << "zelkon-listener: --dial: \"" << options.dial_name << "\" is not a pipe name"
                  << std::endl;
        return 1;
    }
    return zelkon::run_dial_bridge(path, options.dial_name);
}

void connect_events(PipeRPC& pipe, zelkon::ListenerService& service) {
    pipe.Called = [&service](int slot, zelkon::ByteArray& request, zelkon::ByteArray& response) {
        response = zelkon::ByteArray::of(service.answer(slot, request.bytes));
    };
    pipe.Connected = [&service](int slot) {
        service.log("pipe " + std::to_string(slot) + ": client connected");
    };
    pipe.Disconnected = [&service](int slot, int reason, int error) {
        service.log("pipe " + std::to_string(slot) + ": " + zelkon::disconnect_text(reason, error));
    };
    pipe.PollError = [&service](const zelkon::ZelkonError& error) {
        service.log("warning: " + error.description() + " (the listener goes on)");
    };
}

int listen(const zelkon::ListenerOptions& options) {
    auto config = zelkon::UnixPipeConfig::from_environment();
    zelkon::UnixPipeTransport transport(config);
    zelkon::QtTimerFactory timers;
    zelkon::HostComputerName computer_name;
    zelkon::PosixProcessStarter processes;
    zelkon::SystemClock clock;
    zelkon::ListenerService service(processes, computer_name, clock, std::cerr,
                                    options.max_clients);
    PipeRPC pipe(transport, timers, computer_name);
    try {
        pipe.SetPipeName(options.pipe_name);
        pipe.SetMaxClients(static_cast<std::int16_t>(options.max_clients));
        pipe.SetMaxRequest(65536);  // task command lines can be long
        pipe.SetMultiPoll(true);
        connect_events(pipe, service);
        pipe.Listen();
    } catch (const zelkon::ZelkonError& error) {
        int code = zelkon::trailing_error_code(error.description());
        std::cerr << "zelkon-listener: cannot listen on pipe \"" << options.pipe_name << "\" in "
                  << config.folder << ": " << error.description() << " ("
                  << zelkon::pipe_error_text(code) << ")" << std::endl;
        return 1;
    }
    if (geteuid() == 0) {
        // Every request runs as the listener's user.
        service.log(
            "warning: running as root: any client may run any command as root; "
            "run the listener as an ordinary user");
    }
    service.log("listening on pipe " + options.pipe_name + " for at most " +
                std::to_string(options.max_clients) + " clients");
    zelkon::StopSignals stop([](int) { QCoreApplication::quit(); });
    QCoreApplication::exec();
    pipe.ClosePipe();
    service.log("stopped");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    zelkon::block_stop_signals();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("zelkon-listener");
    zelkon::ListenerOptions options;
    switch (zelkon::parse_listener_options(QCoreApplication::arguments(), options)) {
        case zelkon::ParseOutcome::answered:
            return 0;
        case zelkon::ParseOutcome::usage_error:
            return 2;
        case zelkon::ParseOutcome::run:
            break;
    }
    if (options.dial) {
        return run_dial(options);
    }
    return listen(options);
}
