#include "ui/control_view.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>

#include "ui/display_text.h"

namespace zelkon {
namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

void show_tool_tip(QWidget& widget, const std::string& tool_tip) {
    if (widget.toolTip() != q(tool_tip)) {
        widget.setToolTip(q(tool_tip));
    }
}

void show_enabled(QWidget& widget, bool enabled) {
    if (widget.isEnabled() != enabled) {
        widget.setEnabled(enabled);
    }
}

// Hidden means hidden by the model, whether or not the window is on screen.
void show_visible(QWidget& widget, bool visible) {
    if (widget.isHidden() == visible) {
        widget.setVisible(visible);
    }
}

}  // namespace

void show_text(QLineEdit& box, const TextControl& control) {
    if (box.text() != q(control.text)) {
        box.setText(q(control.text));
    }
    show_tool_tip(box, control.tool_tip);
    show_enabled(box, control.enabled);
}

void show_text(QPlainTextEdit& box, const TextControl& control) {
    QString lines = lines_of(control.text);
    if (box.toPlainText() != lines) {
        // The edit that would follow is the model's own text coming back.
        QSignalBlocker quiet(box);
        box.setPlainText(lines);
    }
    show_tool_tip(box, control.tool_tip);
    show_enabled(box, control.enabled);
}

void show_button(QPushButton& button, const ButtonControl& control) {
    if (button.text() != q(control.caption)) {
        button.setText(q(control.caption));
    }
    show_tool_tip(button, control.tool_tip);
    show_enabled(button, control.enabled);
    show_visible(button, control.visible);
}

void show_check(QCheckBox& box, const CheckControl& control) {
    if (box.text() != q(control.caption)) {
        box.setText(q(control.caption));
    }
    bool checked = control.value != 0;
    if (box.isChecked() != checked) {
        box.setChecked(checked);
    }
}

void show_label(QLabel& label, const LabelControl& control) {
    if (label.text() != q(control.caption)) {
        label.setText(q(control.caption));
    }
}

void show_progress(QProgressBar& bar, const ProgressControl& control) {
    // A bar whose maximum is 0 would show Qt's busy animation, not an empty bar.
    int maximum = std::max(control.max, 1);
    int value = std::clamp(control.value, 0, maximum);
    if (bar.maximum() != maximum) {
        bar.setRange(0, maximum);
    }
    if (bar.value() != value) {
        bar.setValue(value);
    }
}

void show_drive(QComboBox& list, const std::string& drive) {
    int index = list.findText(q(drive));
    if (index < 0 && !drive.empty()) {
        list.addItem(q(drive));
        index = list.count() - 1;
    }
    if (list.currentIndex() != index) {
        list.setCurrentIndex(index);
    }
}

void show_caption(QMenu& menu, const std::string& caption) {
    if (menu.title() != q(caption)) {
        menu.setTitle(q(caption));
    }
}

void show_caption(QAction& action, const std::string& caption) {
    if (action.text() != q(caption)) {
        action.setText(q(caption));
    }
}

// Qt ends a window's title with the program's display name unless the title
// already ends with it. The caption names the program itself, so it becomes
// the display name (which message boxes show as their title too).
void show_window_caption(QWidget& window, const std::string& caption) {
    QString title = q(caption);
    if (QGuiApplication::applicationDisplayName() != title) {
        QGuiApplication::setApplicationDisplayName(title);
    }
    if (window.windowTitle() != title) {
        window.setWindowTitle(title);
    }
}

}  // namespace zelkon
