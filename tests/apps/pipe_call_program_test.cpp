#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "platform/temp_folder.h"

namespace zelkon {
namespace {

// Runs a shell script with the programs on PATH and a private runtime folder,
// so that the pipes it makes are its own.
int run_script(const TempFolder& temp, const std::string& script, std::string& out) {
    std::string runtime = temp.file("runtime");
    mkdir(runtime.c_str(), 0700);
    std::ofstream(temp.file("script.sh")) << "export XDG_RUNTIME_DIR='" << runtime << "'\n"
                                          << "export PATH='" << ZELKON_BIN_DIR << ":'\"$PATH\"\n"
                                          << script;
    std::string command =
        "sh '" + temp.file("script.sh") + "' > '" + temp.file("out.txt") + "' 2>&1";
    int status = std::system(command.c_str());
    std::ifstream stream(temp.file("out.txt"));
    std::ostringstream text;
    text << stream.rdbuf();
    out = text.str();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs the script's call against a listener of its own, and keeps the call's exit code.
std::string with_listener(const std::string& call) {
    return "zelkon-listener --max-clients 2 2>/dev/null & listener=$!\n"
           "for i in $(seq 50); do [ -S \"$XDG_RUNTIME_DIR/piperpc/Zelkon_Server\" ] "
           "&& break; sleep 0.1; done\n" +
           call + "; code=$?\nkill $listener; wait $listener\nexit $code\n";
}

TEST(PipeCallProgram, AsksARunningListenerAndPrintsItsReply) {
    TempFolder temp;
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    std::string name = std::string(host).substr(0, std::string(host).find('.'));
    std::string out;
    int code = run_script(temp, with_listener("zelkon-pipe-call 'Num pipes:'"), out);
    EXPECT_EQ(code, 0) << out;
    EXPECT_EQ(out, "Server: " + name + " Max pipes: 2\n");
}

// A tab would split the command line in the shell, so the listener refuses it.
TEST(PipeCallProgram, AnErrorReplyIsPrintedAndExitsOne) {
    TempFolder temp;
    std::string out;
    std::string made = temp.file("made");
    int code = run_script(
        temp, with_listener("zelkon-pipe-call \"$(printf 'touch\\t%s' '" + made + "')\""), out);
    EXPECT_EQ(code, 1) << out;
    EXPECT_EQ(out, "Error: the request holds a control character\n");
    EXPECT_FALSE(std::ifstream(made).good());
}

TEST(PipeCallProgram, APipeNobodyListensOnIsAClearFailure) {
    TempFolder temp;
    std::string out;
    EXPECT_EQ(run_script(temp, "zelkon-pipe-call --pipe Nobody --timeout 50 'Num pipes:'\n", out),
              1);
    EXPECT_NE(out.find("zelkon-pipe-call: no reply from .:"), std::string::npos) << out;
    EXPECT_EQ(run_script(temp, "zelkon-pipe-call --timeout soon 'Num pipes:'\n", out), 2);
}

}  // namespace
}  // namespace zelkon
