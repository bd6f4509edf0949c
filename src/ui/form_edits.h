#pragma once

#include "model/form_controls.h"
#include "ui/form_widgets.h"

namespace zelkon {

// Writes what the user types or ticks into the model at once, so that any
// handler reads the text as it stands on the screen.
void connect_edits(FormWidgets& widgets, FormControls& controls);

}  // namespace zelkon
