#pragma once

// Stop, Pause/Resume and Done get their handlers with the run-control work.
// Until the form declares them, their buttons are laid out and do nothing
// (Done closes the window); once declared, they are called without a change
// here.

namespace zelkon {

template <typename Form>
void click_stop(Form& form) {
    if constexpr (requires { form.Command_stop_cluster_run_Click(); }) {
        form.Command_stop_cluster_run_Click();
    }
}

template <typename Form>
void click_pause(Form& form, int index) {
    if constexpr (requires { form.Command_pause_run_Click(index); }) {
        form.Command_pause_run_Click(index);
    }
}

// False when the form has no Done handler yet and the window should close itself.
template <typename Form>
bool click_done(Form& form) {
    if constexpr (requires { form.Command_done_Click(); }) {
        form.Command_done_Click();
        return true;
    } else {
        return false;
    }
}

}  // namespace zelkon
