#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelkon {

// What the controller was asked to do on its command line.
struct ControllerOptions {
    bool headless = false;
    bool test_setup = false;
    std::string settings_file;
    std::int32_t job_id = 0;  // --job; 0 when not given
    // The folder part of the command line, as one text: the arguments joined
    // by blanks, so that an unquoted folder with blanks still reads whole.
    std::string folder_text;
    bool ok = true;
    bool exit_now = false;  // --help or --version was answered
    std::string error;
};

// Parses the arguments (argv without the program name is not needed: pass
// them all). Prints --help and --version itself.
ControllerOptions parse_controller_options(const std::vector<std::string>& arguments);

// Whether Qt can find a screen for the window; without one it would abort.
bool display_available();

}  // namespace zelkon
