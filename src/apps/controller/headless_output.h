#pragma once

#include <iosfwd>
#include <string>

#include "apps/controller/progress_line.h"
#include "apps/controller/run_log_printer.h"

namespace zelkon {

// What a headless run writes: the run log alone on standard output; the
// messages and the status line on standard error. When both are the same
// terminal, the status line stays below the log.
class HeadlessOutput {
  public:
    // Asks the system whether the two streams are terminals.
    HeadlessOutput(std::ostream& log_out, std::ostream& status_out);
    HeadlessOutput(std::ostream& log_out, std::ostream& status_out, bool log_on_terminal,
                   bool status_on_terminal, int width);

    void print_run_log(const std::string& text);
    // Ends the log's open line and clears the status line: before a message,
    // a replaced log and at the end.
    void end_line();
    void show_progress(const TaskTable& tasks, const FormControls& controls);
    int progress_interval_ms() const { return progress_.interval_ms(); }

  private:
    bool shared_terminal_;
    RunLogPrinter printer_;
    ProgressLine progress_;
};

}  // namespace zelkon
