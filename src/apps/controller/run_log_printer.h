#pragma once

#include <iosfwd>
#include <string>

namespace zelkon {

// Writes the run log to standard output as it grows. The log's lines begin
// with their break ("\r"); a terminal wants line feeds.
class RunLogPrinter {
  public:
    // With close_lines each line is ended as soon as it is written, so that a
    // status line drawn below it on the same terminal never overwrites it.
    RunLogPrinter(std::ostream& out, bool close_lines) : out_(out), close_lines_(close_lines) {}

    void print(const std::string& text);
    // Ends a line left open (before a message, a replaced log, at the end).
    void end_line();

  private:
    std::ostream& out_;
    bool close_lines_;
    bool line_open_ = false;
    // A line was ended early: the break that opens the next one is written.
    bool break_written_ = false;
};

}  // namespace zelkon
