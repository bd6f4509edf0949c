#pragma once

#include "ui/form_widgets.h"

class QMainWindow;

namespace zelkon {

class FileSystem;

// Makes every widget of the form inside the window and lays them out: the
// settings, the inversion folder and the buttons on the left; the figures,
// the statistics grid and the run log on the right, the last two taking any
// extra room.
FormWidgets build_form(QMainWindow& window, const FileSystem& files);

}  // namespace zelkon
