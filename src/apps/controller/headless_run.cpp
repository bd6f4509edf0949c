#include "apps/controller/headless_run.h"

#include <QCoreApplication>
#include <QTimer>
#include <iostream>
#include <optional>

#include "apps/controller/headless_output.h"
#include "apps/controller/real_platform.h"
#include "form/Form_zelkon_cluster_controller.h"
#include "platform/headless_dialogs.h"
#include "platform/qt_event_loop.h"
#include "platform/stop_signals.h"
#include "setup/server_grid.h"

namespace zelkon {
namespace {

// Why a headless start-up starts no run.
std::string refusal_of(AutomaticStart outcome, const std::string& settings_file) {
    switch (outcome) {
        case AutomaticStart::not_asked:
            return "No inversion folder was given on the command line.";
        case AutomaticStart::settings_unread:
            return "No run was started: the settings file " + settings_file +
                   " could not be read (see above).";
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

// The window shows them as red rows of the grid.
void tell_unusable_task_servers(const ServerTable& servers) {
    std::vector<std::string> names = unusable_task_servers(servers);
    if (names.empty()) {
        return;
    }
    std::cerr << "Task servers not opened or failing the connection test:";
    for (const std::string& name : names) {
        std::cerr << " " << name;
    }
    std::cerr << std::endl;
}

int exit_code_of(RunOutcome outcome) {
    return outcome == RunOutcome::all_assembled || outcome == RunOutcome::test_correct ? 0 : 1;
}

}  // namespace

int run_headless(int argc, char** argv, const ControllerOptions& options) {
    // Held back from the start, so that a stop signal during the set-up
    // ends its wait for the initialisation instead of the whole program.
    block_stop_signals();
    QCoreApplication application(argc, argv);
    QtEventPump events;
    HeadlessDialogs dialogs(std::cerr);
    RealPlatform real(events, dialogs);
    Form_zelkon_cluster_controller form(real.bundle());
    HeadlessOutput output(std::cout, std::cerr);
    form.hooks.on_run_log_appended = [&output](const std::string& text) {
        output.print_run_log(text);
    };
    auto end_line = [&output] { output.end_line(); };
    form.hooks.on_run_log_replaced = end_line;
    dialogs.before_text = end_line;
    std::optional<RunOutcome> outcome;
    // Queued, so that an end reported before the event loop runs still counts.
    auto exit_later = [](int code) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [code] { QCoreApplication::exit(code); },
            Qt::QueuedConnection);
    };
    form.hooks.on_exit_requested = exit_later;
    form.hooks.on_run_ended = [&outcome, &exit_later, &form, &end_line](RunOutcome ended) {
        if (ended == RunOutcome::test_incorrect) {
            tell_unusable_task_servers(form.servers);
        }
        if (!form.run_control.continue_command().empty()) {
            end_line();
            std::cerr << "To continue this run: " << form.run_control.continue_command()
                      << std::endl;
        }
        outcome = ended;
        exit_later(exit_code_of(ended));
    };
    form.automatic_start_index = options.test_setup ? 0 : 1;
    form.job_id_given = options.job_id;

    AutomaticStart started = form.Form_Load(options.folder_text, options.settings_file);
    if (started != AutomaticStart::started) {
        end_line();
        std::cerr << refusal_of(started, options.settings_file) << std::endl;
        return 1;
    }
    end_line();
    if (outcome) {
        return exit_code_of(*outcome);  // the set-up stopped, or only tested
    }
    // The run goes on without them; the window shows them red.
    tell_unusable_task_servers(form.servers);
    // A signal stops the run as the Stop button answered Yes does.
    StopSignals stop_signals([&form](int) { form.run_control.stop_run(); });
    QTimer progress;
    QObject::connect(&progress, &QTimer::timeout,
                     [&output, &form] { output.show_progress(form.tasks, form.controls); });
    progress.start(output.progress_interval_ms());
    int code = QCoreApplication::exec();
    end_line();
    return code;
}

}  // namespace zelkon
