#include "apps/controller/headless_output.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace zelkon {
namespace {

int terminal_width(int fd) {
    winsize size{};
    return ioctl(fd, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

}  // namespace

HeadlessOutput::HeadlessOutput(std::ostream& log_out, std::ostream& status_out)
    : HeadlessOutput(log_out, status_out, isatty(STDOUT_FILENO) == 1, isatty(STDERR_FILENO) == 1,
                     terminal_width(STDERR_FILENO)) {}

HeadlessOutput::HeadlessOutput(std::ostream& log_out, std::ostream& status_out,
                               bool log_on_terminal, bool status_on_terminal, int width)
    : shared_terminal_(log_on_terminal && status_on_terminal),
      printer_(log_out, shared_terminal_),
      progress_(status_out, status_on_terminal, width) {}

void HeadlessOutput::print_run_log(const std::string& text) {
    if (shared_terminal_) {
        progress_.hide();
    }
    printer_.print(text);
    if (shared_terminal_) {
        progress_.restore();
    }
}

void HeadlessOutput::end_line() {
    progress_.hide();
    printer_.end_line();
}

void HeadlessOutput::show_progress(const TaskTable& tasks, const FormControls& controls) {
    progress_.show(progress_text(tasks, controls));
}

}  // namespace zelkon
