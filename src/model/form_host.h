#pragma once

#include <functional>
#include <string>

#include "model/form_controls.h"

namespace zelkon {

// How a run, or a test of the set-up, ended.
enum class RunOutcome {
    all_assembled,   // every task is in the matrix
    stopped,         // the user (or a signal) stopped it
    error,           // an error ended the set-up or the run
    setup_stopped,   // the set-up stopped with its own message
    test_correct,    // Test Cluster Setup: "Setup appears to be correct"
    test_incorrect,  // Test Cluster Setup: any other verdict
};

// What the host (the window or the headless runner) is told.
struct FormHooks {
    std::function<void(const std::string&)> on_run_log_appended;
    // The run log's text is about to be replaced.
    std::function<void()> on_run_log_replaced;
    std::function<void()> on_show;
    // The program should end with this exit code (a finished command-line run, Done).
    std::function<void(int)> on_exit_requested;
    // Called once per run with its outcome.
    std::function<void(RunOutcome)> on_run_ended;
    // The busy pointer was switched on or off.
    std::function<void(bool)> on_busy_pointer;
};

// The form's link to its host: the run log, the busy pointer, the end of a
// run and the end of the program, each shown in the model and passed on.
class FormHost {
  public:
    FormHost(FormControls& controls, FormHooks& hooks) : controls_(controls), hooks_(hooks) {}

    // append_run_log adds text at the end; set_run_log replaces it.
    void append_run_log(const std::string& text);
    void set_run_log(const std::string& text);
    void set_busy_pointer(bool busy);
    // A new run (or test) begins: its end is reported once.
    void begin_run_report() { run_end_reported_ = false; }
    void report_run_end(RunOutcome outcome);
    void request_exit(int code);

  private:
    FormControls& controls_;
    FormHooks& hooks_;
    bool run_end_reported_ = false;
};

}  // namespace zelkon
