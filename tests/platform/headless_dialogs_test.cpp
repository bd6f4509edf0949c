#include "platform/headless_dialogs.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zelkon {

// The whole runs show a message and a Yes default; this is the rest.
TEST(HeadlessDialogs, WriteEachTextOnItsOwnLineAndTakeTheDefaultAnswer) {
    std::ostringstream err;
    HeadlessDialogs dialogs(err);
    int lines_ended = 0;
    dialogs.before_text = [&] { ++lines_ended; };
    EXPECT_FALSE(dialogs.ask_yes_no("That file already, exists, overwrite?", false));
    EXPECT_FALSE(dialogs.choose_file_to_open("Select the parameter file to read", "*").has_value());
    EXPECT_EQ(err.str(),
              "That file already, exists, overwrite? [No]\n"
              "Select the parameter file to read: no file can be chosen without a window\n");
    EXPECT_EQ(lines_ended, 1);
}

}  // namespace zelkon
