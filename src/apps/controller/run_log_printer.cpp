#include "apps/controller/run_log_printer.h"

#include <ostream>

namespace zelkon {

void RunLogPrinter::print(const std::string& text) {
    for (char c : text) {
        if (c != '\r') {
            out_ << c;
            line_open_ = true;
            break_written_ = false;
        } else if (break_written_) {
            break_written_ = false;
        } else {
            out_ << '\n';
            line_open_ = false;
        }
    }
    if (close_lines_ && line_open_) {
        out_ << '\n';
        line_open_ = false;
        break_written_ = true;
    }
    out_ << std::flush;
}

void RunLogPrinter::end_line() {
    if (line_open_) {
        out_ << '\n' << std::flush;
        line_open_ = false;
    }
}

}  // namespace zelkon
