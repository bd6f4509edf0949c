#pragma once

#include "model/form_controls.h"
#include "ui/form_widgets.h"

namespace zelkon {

// Copies the model into the widgets. A widget is touched only where it
// differs from the model, so that showing an unchanged model costs little and
// never disturbs what the user is doing.
void show_controls(FormWidgets& widgets, const FormControls& controls);

}  // namespace zelkon
