#pragma once

#include "apps/controller/command_line.h"

namespace zelkon {

// Runs the controller without a window; returns the program's exit code.
int run_headless(int argc, char** argv, const ControllerOptions& options);

}  // namespace zelkon
