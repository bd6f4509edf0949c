#pragma once

#include <string>

#include "model/form_controls.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QWidget;

namespace zelkon {

// One kind of control shown in its kind of widget, changing only what differs.
void show_text(QLineEdit& box, const TextControl& control);
void show_text(QPlainTextEdit& box, const TextControl& control);
void show_button(QPushButton& button, const ButtonControl& control);
void show_check(QCheckBox& box, const CheckControl& control);
void show_label(QLabel& label, const LabelControl& control);
void show_progress(QProgressBar& bar, const ProgressControl& control);
void show_drive(QComboBox& list, const std::string& drive);
void show_caption(QMenu& menu, const std::string& caption);
void show_caption(QAction& action, const std::string& caption);
// The caption of the program's window, shown in its title bar as it is.
void show_window_caption(QWidget& window, const std::string& caption);

}  // namespace zelkon
