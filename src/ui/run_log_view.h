#pragma once

#include <QPlainTextEdit>
#include <string>

namespace zelkon {

// The run log: a read-only, fixed-pitch text box, its lines kept whole and
// scrolled sideways, that follows the model's
// log text. The log only grows between resets and can reach megabytes, so
// new text is appended rather than the whole text set again.
class RunLogView : public QPlainTextEdit {
  public:
    explicit RunLogView(QWidget* parent = nullptr);

    // Shows the model's log text: appends what is new, or starts again when
    // the text no longer begins with what is shown (the log was replaced).
    void show_log(const std::string& log_text);

  private:
    void append(const std::string& piece);
    void reset();

    // The model text shown so far.
    std::string shown_;
};

}  // namespace zelkon
