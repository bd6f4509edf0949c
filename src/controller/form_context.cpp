#include "controller/form_context.h"

namespace zelkon {

void FormContext::append_run_log(const std::string& text) {
    controls.TextBox_run_log.text += text;
    if (hooks.on_run_log_appended) {
        hooks.on_run_log_appended(text);
    }
}

void FormContext::set_run_log(const std::string& text) {
    controls.TextBox_run_log.text.clear();
    if (hooks.on_run_log_replaced) {
        hooks.on_run_log_replaced();
    }
    append_run_log(text);
}

void FormContext::set_busy_pointer(bool busy) {
    controls.busy_pointer = busy;
    if (hooks.on_busy_pointer) {
        hooks.on_busy_pointer(busy);
    }
}

void FormContext::report_run_end(RunOutcome outcome) {
    if (run_end_reported_) {
        return;
    }
    run_end_reported_ = true;
    if (hooks.on_run_ended) {
        hooks.on_run_ended(outcome);
    }
}

}  // namespace zelkon
