#pragma once

#include <functional>
#include <string>

#include "controller/form_controls.h"
#include "controller/run_state.h"
#include "platform/platform.h"

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

// What every subsystem of the form works on: the controls model, the run
// state, the platform, the task timer and the host's hooks.
class FormContext {
  public:
    FormContext(FormControls& controls, RunState& state, Platform& platform, Timer& timer,
                FormHooks& hooks)
        : controls(controls), state(state), platform(platform), timer(timer), hooks(hooks) {}

    FormControls& controls;
    RunState& state;
    Platform& platform;
    Timer& timer;
    FormHooks& hooks;

    // The run log: append_run_log adds text at the end; set_run_log replaces it.
    void append_run_log(const std::string& text);
    void set_run_log(const std::string& text);
    void set_busy_pointer(bool busy);
    // A new run (or test) begins: its end is reported once.
    void begin_run_report() { run_end_reported_ = false; }
    void report_run_end(RunOutcome outcome);

  private:
    bool run_end_reported_ = false;
};

// A subsystem of the form: it reaches the form's controls, run state,
// platform and task timer by the names the procedures use.
class FormPart {
  protected:
    explicit FormPart(FormContext& context)
        : form(context),
          controls(context.controls),
          state(context.state),
          platform(context.platform),
          Timer_cluster_task(context.timer) {}

    void append_run_log(const std::string& text) { form.append_run_log(text); }
    void set_run_log(const std::string& text) { form.set_run_log(text); }

    FormContext& form;
    FormControls& controls;
    RunState& state;
    Platform& platform;
    Timer& Timer_cluster_task;
};

}  // namespace zelkon
