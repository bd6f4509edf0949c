#pragma once

#include "ui/form_widgets.h"

class QWidget;

namespace zelkon {

// The figures of the run above the statistics grid and the run log, which
// share whatever room the window has.
QWidget* build_right_panel(QWidget* parent, FormWidgets& w);

}  // namespace zelkon
