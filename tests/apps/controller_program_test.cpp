#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/temp_folder.h"

namespace zelkon {
namespace {

namespace fs = std::filesystem;

std::string read_file(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream content;
    content << stream.rdbuf();
    return content.str();
}

// Runs the controller headless in a temporary home with the reference
// programs on PATH; keeps its exit code and both output streams.
class ControllerProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(inversion());
        fs::copy_file(std::string(ZELKON_EXAMPLES_DIR) + "/demo/zelkon.inp",
                      inversion() + "/zelkon.inp");
    }

    // The rest of a wait in `then` for something the controller does, which
    // gives up should the controller end first.
    static constexpr const char* kUnlessEnded = " || ! kill -0 $! 2>/dev/null; do sleep 0.1; done";

    // `then` runs while the controller runs in the background (its id in $!).
    int run(const std::string& arguments, const std::string& prefix = "",
            const std::string& then = "") {
        std::string command = "cd '" + temp.path() + "' || exit 1; XDG_CONFIG_HOME='" +
                              temp.path() + "/config' PATH='" + ZELKON_BIN_DIR + ":'\"$PATH\" " +
                              prefix + " zelkon-cluster-controller " + arguments +
                              " > out.txt 2> err.txt";
        if (!then.empty()) {
            command += " & " + then + "; wait $!";
        }
        int status = std::system(command.c_str());
        out = read_file(temp.file("out.txt"));
        err = read_file(temp.file("err.txt"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // A settings file for this computer alone, or for the servers given.
    std::string settings_file(const std::string& use_rpc, std::string name = "") {
        char host[256] = {};
        gethostname(host, sizeof host - 1);
        if (name.empty()) {
            name = std::string(host).substr(0, std::string(host).find('.'));
        }
        std::ofstream file(temp.file("job.inp"), std::ios::binary);
        file << "Nimbal_Controller settings V1.0\r\n\r\nJob ID\r\n7\r\n\r\nWork Drive\r\n"
             << temp.path() << "\r\n\r\nWork Folder\r\nWork\r\n\r\nLocal Path\r\n"
             << inversion() << "/\r\n\r\nFolder Share Name\r\n\r\n\r\nMax Tasks\r\n10\r\n\r\n"
             << "Use RPC\r\n"
             << use_rpc << "\r\n\r\nServerList\r\n"
             << name << "\r\n";
        return temp.file("job.inp");
    }

    std::string inversion() const { return temp.path() + "/inv"; }

    TempFolder temp;
    std::string out;
    std::string err;
};

// Qt would abort on its own, with no word of --headless.
TEST_F(ControllerProgram, WithoutADisplayItSuggestsHeadlessAndExitsTwo) {
    EXPECT_EQ(run(inversion(), "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM"), 2);
    EXPECT_EQ(err, "No display: run with --headless, or set DISPLAY\n");
}

// Headless, the folder is needed: nothing else says what to run.
TEST_F(ControllerProgram, UsageErrorsExitTwoAndSayWhatIsWrong) {
    const std::pair<std::string, std::string> cases[] = {
        {"--headless --no-such-option " + inversion(), "no-such-option"},
        {"--headless", "--headless needs an inversion folder"},
        {"--headless --job 0 " + inversion(), "--job takes a job ID from 1 to 999999, not \"0\""},
        {"--headless --job 1000000 " + inversion(), "not \"1000000\""},
        {"--headless --job 7x " + inversion(), "not \"7x\""},
    };
    for (const auto& [arguments, said] : cases) {
        EXPECT_EQ(run(arguments), 2) << arguments;
        EXPECT_NE(err.find(said), std::string::npos) << arguments << ": " << err;
    }
}

TEST_F(ControllerProgram, AHeadlessStartUpWithNothingStoredSaysWhyAndExitsOne) {
    EXPECT_EQ(run("--headless " + inversion()), 1);
    EXPECT_NE(err.find("not all stored"), std::string::npos) << err;
}

// The settings were stored, so only the file's own fault is reported.
TEST_F(ControllerProgram, AnUnreadableSettingsFileIsNamedAsTheOnlyReason) {
    run("--headless --settings " + settings_file("No") + " " + inversion() + " --test-setup");
    std::ofstream(temp.file("bad.inp")) << "not a settings file\r\n";
    EXPECT_EQ(run("--headless --settings " + temp.file("bad.inp") + " " + inversion()), 1);
    EXPECT_NE(err.find("does not have the correct format"), std::string::npos) << err;
    EXPECT_NE(err.find(temp.file("bad.inp")), std::string::npos) << err;
    EXPECT_EQ(err.find("not all stored"), std::string::npos) << err;
}

TEST_F(ControllerProgram, AHeadlessStartUpWithAMissingFolderSaysWhyAndExitsOne) {
    EXPECT_EQ(run("--headless --settings " + settings_file("No") + " " + temp.file("nowhere")), 1);
    EXPECT_NE(err.find("does not exist"), std::string::npos) << err;
}

TEST_F(ControllerProgram, ATestOfTheSetUpRunsTheInitAndReportsItsSummary) {
    EXPECT_EQ(run("--headless --test-setup --settings " + settings_file("No") + " " + inversion()),
              0);
    EXPECT_NE(out.find("Run the cluster setup process"), std::string::npos) << out;
    EXPECT_NE(err.find("Setup appears to be correct\n"), std::string::npos) << err;
    EXPECT_TRUE(fs::exists(temp.file("config/Halvorn.ini")));
}

// Words after the folder are ignored; a replaced run log starts on a line
// of its own. The tasks start on this computer and never finish, so the run
// is still going when the signal comes; the clean-up's removal of the job
// folder ends them.
TEST_F(ControllerProgram, TermEndsAHeadlessRunAfterTheCleanUp) {
    std::string settings = settings_file("No");
    EXPECT_EQ(run("--headless --settings " + settings + " " + inversion() + " further words",
                  "ZELKON_TASK_HANG=all timeout --preserve-status -s TERM 6"),
              1);
    EXPECT_NE(out.find("\nZelkon Cluster started at"), std::string::npos) << out << err;
    EXPECT_NE(out.find("Zelkon Cluster finished at"), std::string::npos) << out << err;
}

// A stop signal while the set-up waits for a slow initialisation ends the
// set-up there: the initialisation's processes go too, the reason is given,
// and the exit code is 1.
TEST_F(ControllerProgram, TermDuringTheSetUpEndsTheInitialisationAndCleansUp) {
    fs::create_directories(temp.file("slow"));
    std::string stand_in = temp.file("slow/zelkon");
    std::ofstream(stand_in) << "#!/bin/sh\nsleep 30 &\necho $! > '" << temp.file("sleep.pid")
                            << "'\nwait\n";
    fs::permissions(stand_in, fs::perms::owner_all);
    std::string settings = settings_file("No");
    // Sent once the initialisation has started its child, not at a guess.
    EXPECT_EQ(
        run("--headless --settings " + settings + " " + inversion(),
            "PATH='" + temp.file("slow") + "':\"$PATH\"",
            "until [ -s '" + temp.file("sleep.pid") + "' ]" + kUnlessEnded + "; kill -TERM $!"),
        1);
    EXPECT_NE(err.find("stopped by a signal"), std::string::npos) << err;
    EXPECT_NE(out.find("Zelkon Cluster finished at"), std::string::npos) << out;
    pid_t sleeper = std::atoi(read_file(temp.file("sleep.pid")).c_str());
    ASSERT_GT(sleeper, 0);
    bool gone = false;
    for (int i = 0; i < 50 && !gone; ++i) {
        gone = kill(sleeper, 0) != 0;
        usleep(50'000);
    }
    EXPECT_TRUE(gone) << "the initialisation's child outlived the set-up";
}

// A stop signal while a pipe to a machine that does not answer is being
// opened ends the set-up there, through its error path. The machine's ssh
// login hangs; its job folder is this computer's, through a link.
TEST_F(ControllerProgram, TermWhileThePipesOpenEndsTheSetUp) {
    fs::create_directories(temp.file("net"));
    fs::create_directory_symlink("/", temp.file("net/deadhost"));
    std::string dialled = temp.file("dialled");
    std::string hanging_ssh = "sh -c 'touch " + dialled + "; exec sleep 60'";
    std::string settings = settings_file("Yes", "deadhost/8");
    EXPECT_EQ(
        run("--headless --settings " + settings + " " + inversion(),
            "ZELKON_NET_ROOT='" + temp.file("net") + "' ZELKON_SSH_COMMAND=\"" + hanging_ssh + "\"",
            "until [ -e '" + dialled + "' ]" + kUnlessEnded + "; kill -TERM $!"),
        1);
    EXPECT_NE(err.find("stopped by a signal while the RPC pipes were opened"), std::string::npos)
        << err;
    EXPECT_NE(out.find("Zelkon Cluster finished at"), std::string::npos) << out;
}

}  // namespace
}  // namespace zelkon
