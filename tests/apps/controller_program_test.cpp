// The controller program's exit codes and what it says when it cannot run.
#include <gtest/gtest.h>
#include <signal.h>

#include "program_run.h"

namespace zelkon {
namespace {

namespace fs = std::filesystem;

// The controller in a temporary home, the reference programs on PATH.
class ControllerProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(temp.file("inv"));
        fs::copy_file(std::string(ZELKON_EXAMPLES_DIR) + "/demo/zelkon.inp",
                      temp.file("inv/zelkon.inp"));
        write_settings("No", this_computer());
    }
    void write_settings(const std::string& use_rpc, const std::string& servers) {
        std::ofstream(temp.file("job.inp"), std::ios::binary)
            << "Nimbal_Controller settings V1.0\r\n\r\nJob ID\r\n7\r\n\r\nWork Drive\r\n"
            << temp.path() << "\r\n\r\nWork Folder\r\nWork\r\n\r\nLocal Path\r\n"
            << temp.file("inv") << "/\r\n\r\nFolder Share Name\r\n\r\n\r\nMax Tasks\r\n10\r\n\r\n"
            << "Use RPC\r\n"
            << use_rpc << "\r\n\r\nServerList\r\n"
            << servers << "\r\n";
    }
    // Ends a wait in `then`, which gives up should the controller end first.
    static constexpr const char* kUnlessEnded = " || ! kill -0 $! 2>/dev/null; do sleep 0.1; done";
    // `then` runs while the controller runs in the background (its id in $!).
    ProgramRun run(const std::string& arguments, const std::string& prefix = "",
                   const std::string& then = "") {
        std::string controller =
            "cd " + shell_quoted(temp.path()) +
            " || exit 1; XDG_CONFIG_HOME=" + shell_quoted(temp.file("config")) + " PATH='" +
            ZELKON_BIN_DIR + ":'\"$PATH\" " + prefix + " zelkon-cluster-controller " + arguments;
        return run_command(temp,
                           then.empty() ? controller : controller + " & " + then + "; wait $!");
    }
    TempFolder temp;
    const std::string inv = temp.file("inv");
    const std::string settings = "--settings " + temp.file("job.inp") + " ";
};

// Qt would abort on its own, with no word of --headless.
TEST_F(ControllerProgram, WithoutADisplayItSuggestsHeadlessAndExitsTwo) {
    ProgramRun done = run(inv, "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM");
    EXPECT_EQ(done.code, 2);
    EXPECT_EQ(done.err, "No display: run with --headless, or set DISPLAY\n");
}

// Usage errors exit 2; a start that cannot run exits 1; each says why.
TEST_F(ControllerProgram, AStartThatCannotRunExitsWithItsCodeAndSaysWhy) {
    const struct {
        std::string arguments;
        int code;
        std::string said;
    } cases[] = {
        {"--headless --no-such-option " + inv, 2, "no-such-option"},
        {"--headless", 2, "--headless needs an inversion folder"},
        {"--headless --job 0 " + inv, 2, "--job takes a job ID from 1 to 999999, not \"0\""},
        {"--headless --job 1000000 " + inv, 2, "not \"1000000\""},
        {"--headless --job 7x " + inv, 2, "not \"7x\""},
        {"--headless " + inv, 1, "not all stored"},
        {"--headless " + settings + temp.file("nowhere"), 1, "does not exist"},
    };
    for (const auto& c : cases) {
        ProgramRun done = run(c.arguments);
        EXPECT_EQ(done.code, c.code) << c.arguments;
        EXPECT_TRUE(contains(done.err, c.said)) << c.arguments << ": " << done.err;
    }
}

// Once settings were stored, only the file's own fault is reported.
TEST_F(ControllerProgram, AnUnreadableSettingsFileIsNamedAsTheOnlyReason) {
    run("--headless --test-setup " + settings + inv);
    std::ofstream(temp.file("bad.inp")) << "not a settings file\r\n";
    ProgramRun done = run("--headless --settings " + temp.file("bad.inp") + " " + inv);
    EXPECT_EQ(done.code, 1);
    EXPECT_TRUE(contains(done.err, "does not have the correct format")) << done.err;
    EXPECT_TRUE(contains(done.err, temp.file("bad.inp"))) << done.err;
    EXPECT_FALSE(contains(done.err, "not all stored")) << done.err;
}

// TERM during a slow initialisation ends it and the set-up, exit code 1.
TEST_F(ControllerProgram, TermDuringTheSetUpEndsTheInitialisationAndCleansUp) {
    fs::create_directories(temp.file("slow"));
    std::ofstream(temp.file("slow/zelkon"))
        << "#!/bin/sh\nsleep 30 &\necho $! > '" << temp.file("sleep.pid") << "'\nwait\n";
    fs::permissions(temp.file("slow/zelkon"), fs::perms::owner_all);
    ProgramRun done =
        run("--headless " + settings + inv, "PATH='" + temp.file("slow") + "':\"$PATH\"",
            "until [ -s '" + temp.file("sleep.pid") + "' ]" + kUnlessEnded + "; kill -TERM $!");
    EXPECT_EQ(done.code, 1);
    EXPECT_TRUE(contains(done.err, "stopped by a signal")) << done.err;
    EXPECT_TRUE(contains(done.out, "Zelkon Cluster finished at")) << done.out;
    pid_t sleeper = std::atoi(file_text(temp.file("sleep.pid")).c_str());
    ASSERT_GT(sleeper, 0);
    EXPECT_TRUE(eventually([&] { return kill(sleeper, 0) != 0; }, std::chrono::seconds(3)))
        << "the initialisation's child outlived the set-up";
}

// TERM while the set-up waits for a machine whose login hangs ends the set-up,
// whether it waits for its first pipe or for its starter shell.
TEST_F(ControllerProgram, TermWhileAMachinesLoginHangsEndsTheSetUp) {
    fs::create_directories(temp.file("net"));
    fs::create_directory_symlink("/", temp.file("net/deadhost"));
    for (const auto& [use_rpc, said] :
         {std::pair{"Yes", "stopped by a signal while the RPC pipes were opened"},
          std::pair{"No", "stopped by a signal while ssh reached deadhost"}}) {
        write_settings(use_rpc, "deadhost/8");
        // The login begins before the initialisation; the set-up waits for it once it
        // names the cluster data file.
        ProgramRun done = run("--headless " + settings + inv,
                              "ZELKON_NET_ROOT='" + temp.file("net") +
                                  "' ZELKON_SSH_COMMAND=\"sh -c 'exec sleep 60'\"",
                              "until grep -q 'Cluster data file' out.txt" +
                                  std::string(kUnlessEnded) + "; kill -TERM $!");
        EXPECT_EQ(done.code, 1) << use_rpc;
        EXPECT_TRUE(contains(done.err, said)) << done.err;
        EXPECT_TRUE(contains(done.out, "Zelkon Cluster finished at")) << done.out;
    }
}

}  // namespace
}  // namespace zelkon
