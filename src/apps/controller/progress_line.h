#pragma once

#include <iosfwd>
#include <string>

#include "model/form_controls.h"
#include "model/task_records.h"

namespace zelkon {

// How far a run is, in one line: "Tasks: 37 done, 4 running, 59 waiting of
// 100 (30% assembled) | elapsed 00:02:10 | left 00:05:03". Empty until the
// data are divided into tasks.
std::string progress_text(const TaskTable& tasks, const FormControls& controls);

// The status line of a headless run on standard error. On a terminal it is
// one line rewritten in place and cut to the terminal's width; in a file each
// showing adds a line.
class ProgressLine {
  public:
    ProgressLine(std::ostream& out, bool terminal, int width);

    // How often the host shows it: each second on a terminal, every 30 s in a file.
    int interval_ms() const;
    void show(const std::string& text);
    // On a terminal: clears the line, so that other output starts at the
    // left margin; restore writes it again.
    void hide();
    void restore();

  private:
    void draw(const std::string& text);

    std::ostream& out_;
    bool terminal_;
    std::size_t width_;
    std::string text_;
    std::size_t drawn_ = 0;  // characters on the terminal's line now
};

}  // namespace zelkon
