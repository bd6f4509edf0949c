#pragma once

#include "apps/controller/command_line.h"

namespace zelkon {

// Runs the controller in its window; returns the program's exit code.
int run_with_window(int argc, char** argv, const ControllerOptions& options);

}  // namespace zelkon
