#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "apps/controller/command_line.h"
#include "apps/controller/headless_run.h"
#include "apps/controller/window_run.h"

int main(int argc, char** argv) {
    // Dates show the month in the user's locale; numbers are read the same in any.
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");
    std::vector<std::string> arguments(argv, argv + argc);
    zelkon::ControllerOptions options = zelkon::parse_controller_options(arguments);
    if (options.exit_now) {
        return 0;
    }
    if (!options.ok) {
        std::fprintf(stderr, "%s\nTry --help.\n", options.error.c_str());
        return 2;
    }
    if (options.headless) {
        return zelkon::run_headless(argc, argv, options);
    }
    if (!zelkon::display_available()) {
        std::fputs("No display: run with --headless, or set DISPLAY\n", stderr);
        return 2;
    }
    return zelkon::run_with_window(argc, argv, options);
}
