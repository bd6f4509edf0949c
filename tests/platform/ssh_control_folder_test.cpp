#include "platform/ssh_control_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "temp_folder.h"

namespace zelkon {
namespace {

namespace fs = std::filesystem;

// A runtime folder ssh would misread, or too long for a master's socket, gives way to /tmp.
TEST(SshControlFolder, IsPrivateFitsASocketAddressAndGoesWithTheObject) {
    for (const char* runtime : {"/tmp", "/tmp/a folder with blanks",
                                "/tmp/a-runtime-folder-with-a-long-name-indeed", ""}) {
        setenv("XDG_RUNTIME_DIR", runtime, 1);
        std::string path;
        {
            SshControlFolder folder;
            path = folder.path();
            struct stat info {};
            ASSERT_EQ(stat(path.c_str(), &info), 0) << path;
            EXPECT_EQ(info.st_mode & 0777, 0700u) << path;
            EXPECT_LE(path.size() + 1 + 40 + 17, 107u) << path;
            EXPECT_EQ(path.find(' '), std::string::npos) << path;
        }
        EXPECT_FALSE(fs::exists(path)) << path;
    }
    unsetenv("XDG_RUNTIME_DIR");
}

// The next controller removes a killed one's folder, and no folder in use or not its own.
TEST(SshControlFolder, AFolderWhoseControllerIsGoneIsRemovedByTheNext) {
    TempFolder runtime;
    setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    std::string abandoned;
    {
        SshControlFolder killed;
        abandoned = killed.path();
        fs::rename(abandoned, abandoned + ".kept");  // the folder stays, its lock goes
    }
    fs::rename(abandoned + ".kept", abandoned);
    fs::create_directory(runtime.file("zelkon-ssh-nolock"));
    fs::create_directory(runtime.file("other-folder"));
    SshControlFolder live, own;
    EXPECT_EQ(end_abandoned_ssh_masters(SshOptions::from_command("ssh", own.path())), 0);
    EXPECT_FALSE(fs::exists(abandoned));
    EXPECT_TRUE(fs::exists(live.path() + "/lock"));
    EXPECT_TRUE(fs::exists(own.path()));
    EXPECT_TRUE(fs::exists(runtime.file("zelkon-ssh-nolock")));
    EXPECT_TRUE(fs::exists(runtime.file("other-folder")));
    unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace zelkon
