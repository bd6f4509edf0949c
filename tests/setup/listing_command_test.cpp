#include "setup/listing_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../platform/temp_folder.h"

namespace zelkon {
namespace {

// A shell must see each folder as one word, and run nothing of it; the
// listing names the programs it cannot find.
TEST(ListingCommand, AnyFolderGivesItsListingAndTheMissingProgramsAndRunsNothingElse) {
    for (const char* name :
         {"My Work", "it's", "$(touch ran)", "a;touch ran", "`touch ran`", "*", "tab\there"}) {
        SCOPED_TRACE(name);
        TempFolder temp;
        std::string folder = temp.path() + "/" + name + "/";
        std::filesystem::create_directory(folder);
        std::ofstream(folder + "data.zcd") << "x";
        std::string command =
            "cd '" + temp.path() + "' && " + listing_command(folder, {"sh", "no_such_program_x"});
        EXPECT_EQ(std::system(command.c_str()), 0);
        std::ifstream listing(folder + "dir.lst");
        std::vector<std::string> lines;
        for (std::string line; std::getline(listing, line);) {
            lines.push_back(line);
        }
        ASSERT_FALSE(lines.empty());
        EXPECT_NE(lines[0].find("data.zcd"), std::string::npos) << lines[0];
        EXPECT_EQ(missing_programs(lines), std::vector<std::string>{"no_such_program_x"});
        EXPECT_FALSE(std::filesystem::exists(temp.path() + "/ran"));
    }
}

}  // namespace
}  // namespace zelkon
