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

// A controller that was killed left its folder (its masters too, which the
// ssh tests show ending); the next controller removes it, and nothing that
// is in use or not a control folder of its own.
TEST(SshControlFolder, AFolderWhoseControllerIsGoneIsRemovedByTheNext) {
    std::string runtime =
        (std::filesystem::temp_directory_path() / "zelkon-runtime-XXXXXX").string();
    ASSERT_NE(mkdtemp(runtime.data()), nullptr);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    std::string abandoned;
    {
        SshControlFolder killed;
        abandoned = killed.path();
        // As a killed controller leaves it: the folder stays, its lock goes.
        std::filesystem::rename(abandoned, abandoned + ".kept");
    }
    std::filesystem::rename(abandoned + ".kept", abandoned);
    std::filesystem::create_directory(runtime + "/zelkon-ssh-nolock");
    std::filesystem::create_directory(runtime + "/other-folder");
    {
        SshControlFolder live;
        SshControlFolder own;
        ASSERT_TRUE(std::filesystem::exists(abandoned + "/lock"));
        EXPECT_EQ(end_abandoned_ssh_masters(SshOptions::from_command("ssh", own.path())), 0);
        EXPECT_FALSE(std::filesystem::exists(abandoned));
        EXPECT_TRUE(std::filesystem::exists(live.path() + "/lock"));
        EXPECT_TRUE(std::filesystem::exists(own.path()));
        EXPECT_TRUE(std::filesystem::exists(runtime + "/zelkon-ssh-nolock"));
        EXPECT_TRUE(std::filesystem::exists(runtime + "/other-folder"));
    }
    unsetenv("XDG_RUNTIME_DIR");
    std::filesystem::remove_all(runtime);
}

}  // namespace
}  // namespace zelkon
