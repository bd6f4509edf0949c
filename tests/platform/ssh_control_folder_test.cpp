#include "platform/ssh_control_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

namespace zelkon {
namespace {

// The longest master socket ssh makes there: a hash and a temporary suffix.
std::size_t longest_socket_path(const std::string& folder) {
    return folder.size() + 1 + 40 + 17;
}

TEST(SshControlFolder, IsPrivateFitsASocketAddressAndGoesWithTheObject) {
    const char* runtimes[] = {"/tmp", "/tmp/a folder with blanks", "/tmp/100%",
                              "/tmp/a-runtime-folder-with-a-long-name-indeed", ""};
    for (const char* runtime : runtimes) {
        setenv("XDG_RUNTIME_DIR", runtime, 1);
        std::string path;
        {
            SshControlFolder folder;
            path = folder.path();
            struct stat info {};
            ASSERT_EQ(stat(path.c_str(), &info), 0) << path;
            EXPECT_EQ(info.st_mode & 0777, 0700u) << path;
            EXPECT_LE(longest_socket_path(path), 107u) << path;
            EXPECT_EQ(path.find_first_of(" %~"), std::string::npos) << path;
        }
        EXPECT_FALSE(std::filesystem::exists(path)) << path;
    }
    unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace zelkon
