#include "setup/listing_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../platform/temp_folder.h"

namespace zelkon {
namespace {

// A shell must see each folder as one word, and run nothing of it.
TEST(ListingCommand, AnyFolderGivesItsListingAndRunsNothingElse) {
    for (const char* name :
         {"My Work", "it's", "$(touch ran)", "a;touch ran", "`touch ran`", "*", "tab\there"}) {
        SCOPED_TRACE(name);
        TempFolder temp;
        std::string folder = temp.path() + "/" + name + "/";
        std::filesystem::create_directory(folder);
        std::ofstream(folder + "data.zcd") << "x";
        std::string command = "cd '" + temp.path() + "' && " + listing_command(folder);
        EXPECT_EQ(std::system(command.c_str()), 0);
        std::ifstream listing(folder + "dir.lst");
        std::string first;
        std::getline(listing, first);
        EXPECT_NE(first.find("data.zcd"), std::string::npos) << first;
        EXPECT_FALSE(std::filesystem::exists(temp.path() + "/ran"));
    }
}

}  // namespace
}  // namespace zelkon
