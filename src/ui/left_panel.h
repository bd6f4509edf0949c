#pragma once

#include "ui/form_widgets.h"

class QWidget;

namespace zelkon {

class FileSystem;

// The settings, the choice of the inversion folder and the command buttons,
// in a column as wide as its path boxes need.
QWidget* build_left_panel(QWidget* parent, FormWidgets& w, const FileSystem& files);

}  // namespace zelkon
