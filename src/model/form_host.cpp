#include "model/form_host.h"

namespace zelkon {

void FormHost::append_run_log(const std::string& text) {
    controls_.TextBox_run_log.text += text;
    if (hooks_.on_run_log_appended) {
        hooks_.on_run_log_appended(text);
    }
}

void FormHost::set_run_log(const std::string& text) {
    controls_.TextBox_run_log.text.clear();
    if (hooks_.on_run_log_replaced) {
        hooks_.on_run_log_replaced();
    }
    append_run_log(text);
}

void FormHost::set_busy_pointer(bool busy) {
    controls_.busy_pointer = busy;
    if (hooks_.on_busy_pointer) {
        hooks_.on_busy_pointer(busy);
    }
}

void FormHost::report_run_end(RunOutcome outcome) {
    if (run_end_reported_) {
        return;
    }
    run_end_reported_ = true;
    if (hooks_.on_run_ended) {
        hooks_.on_run_ended(outcome);
    }
}

void FormHost::request_exit(int code) {
    if (hooks_.on_exit_requested) {
        hooks_.on_exit_requested(code);
    }
}

}  // namespace zelkon
