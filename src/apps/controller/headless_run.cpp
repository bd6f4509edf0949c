#include "apps/controller/headless_run.h"

#include <QCoreApplication>
#include <iostream>

#include "apps/controller/real_platform.h"
#include "controller/Form_zelkon_cluster_controller.h"
#include "platform/headless_dialogs.h"
#include "platform/qt_event_loop.h"
#include "platform/stop_signals.h"

namespace zelkon {
namespace {

// Why a headless start-up starts no run.
const char* refusal_of(AutomaticStart outcome) {
    switch (outcome) {
        case AutomaticStart::not_asked:
            return "No inversion folder was given on the command line.";
        case AutomaticStart::settings_missing:
            return "No run was started: the settings ServerList, WorkDrive and WorkFolder are "
                   "not all stored (use --settings FILE or save them from the window first).";
        case AutomaticStart::folder_missing:
            return "No run was started: the inversion folder does not exist.";
        case AutomaticStart::failed:
            return "No run was started: start-up failed.";
        case AutomaticStart::started:
            break;
    }
    return "";
}

// The run log's paragraphs start with a carriage return; a terminal wants
// line feeds.
std::string as_terminal_text(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (c == '\r') {
            c = '\n';
        }
    }
    return out;
}

}  // namespace

int run_headless(int argc, char** argv, const ControllerOptions& options) {
    QCoreApplication application(argc, argv);
    QtEventPump events;
    HeadlessDialogs dialogs(std::cerr);
    RealPlatform real(events, dialogs);
    Form_zelkon_cluster_controller form(real.bundle());
    // The log's lines start with their break; end the open one before a message
    // and at the end.
    bool line_open = false;
    auto end_line = [&line_open] {
        if (line_open) {
            std::cout << std::endl;
            line_open = false;
        }
    };
    form.on_run_log_appended = [&line_open](const std::string& text) {
        std::cout << as_terminal_text(text) << std::flush;
        line_open = text.empty() ? line_open : text.back() != '\r';
    };
    dialogs.before_text = end_line;
    // Queued, so that an end asked for before the event loop runs still counts.
    form.on_exit_requested = [](int code) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [code] { QCoreApplication::exit(code); },
            Qt::QueuedConnection);
    };
    form.automatic_start_index = options.test_setup ? 0 : 1;

    AutomaticStart outcome = form.Form_Load(options.folder_text, options.settings_file);
    if (outcome != AutomaticStart::started) {
        end_line();
        std::cerr << refusal_of(outcome) << std::endl;
        return 1;
    }
    if (!form.Timer_cluster_task->enabled()) {
        // The set-up stopped (its message is on standard error) or only tested.
        end_line();
        return form.last_setup_succeeded ? 0 : 1;
    }
    end_line();
    // A signal ends the run the way an error does: clean up, exit 1.
    StopSignals stop_signals([&form](int) {
        form.state.run_terminated = kTrue;
        form.cluster_cleanup();
        QCoreApplication::exit(1);
    });
    int code = QCoreApplication::exec();
    end_line();
    return code;
}

}  // namespace zelkon
