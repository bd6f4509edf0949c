#include "ui/run_log_view.h"

#include <QFontDatabase>
#include <QScrollBar>
#include <QTextCursor>

#include "ui/display_text.h"

namespace zelkon {
namespace {

// Asked for by kind as well as by the desktop's choice, so that a machine
// whose chosen family is missing still gets a fixed-pitch one.
QFont run_log_font() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    return font;
}

}  // namespace

RunLogView::RunLogView(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setFont(run_log_font());
    // Assembly-log rows are wider than the box: each stays one line, and
    // the box scrolls sideways instead.
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void RunLogView::show_log(const std::string& log_text) {
    if (log_text.size() == shown_.size() && log_text == shown_) {
        return;
    }
    bool grew = log_text.size() > shown_.size() && log_text.compare(0, shown_.size(), shown_) == 0;
    if (!grew) {
        reset();
    }
    append(log_text.substr(shown_.size()));
}

void RunLogView::append(const std::string& piece) {
    if (piece.empty()) {
        return;
    }
    QScrollBar* bar = verticalScrollBar();
    bool following = bar->value() == bar->maximum();
    char shown_before = shown_.empty() ? '\0' : shown_.back();
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.insertText(log_lines_of(piece, shown_before));
    shown_ += piece;
    // Keep the newest lines in view unless the user scrolled back to read.
    if (following) {
        bar->setValue(bar->maximum());
    }
}

void RunLogView::reset() {
    clear();
    shown_.clear();
}

}  // namespace zelkon
