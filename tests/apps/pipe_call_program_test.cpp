// The one-shot pipe client against a real listener of its own.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "program_run.h"

namespace zelkon {
namespace {

// Runs the script in a private pipe folder, with a listener there when asked.
ProgramRun run_script(const TempFolder& temp, const std::string& call, bool listener = true) {
    mkdir(temp.file("runtime").c_str(), 0700);
    std::string script =
        "export XDG_RUNTIME_DIR=" + shell_quoted(temp.file("runtime")) + " PATH='" +
        ZELKON_BIN_DIR + ":'\"$PATH\"\n" +
        (listener ? "zelkon-listener --max-clients 2 2>/dev/null & listener=$!\n"
                    "for i in $(seq 50); do [ -S \"$XDG_RUNTIME_DIR/piperpc/Zelkon_Server\" ] "
                    "&& break; sleep 0.1; done\n"
                  : "listener=\n") +
        call + "; code=$?\n[ -n \"$listener\" ] && kill $listener && wait $listener\nexit $code\n";
    std::ofstream(temp.file("script.sh")) << script;
    return run_command(temp, "sh " + shell_quoted(temp.file("script.sh")));
}

// A tab would split the command line in the shell, so the listener refuses it.
TEST(PipeCallProgram, PrintsTheListenersReplyAndExitsOneOnAnErrorReply) {
    TempFolder temp;
    ProgramRun asked = run_script(temp, "zelkon-pipe-call 'Num pipes:'");
    EXPECT_EQ(asked.code, 0) << asked.err;
    EXPECT_EQ(asked.out, "Server: " + this_computer() + " Max pipes: 2\n");
    std::string made = temp.file("made");
    ProgramRun refused =
        run_script(temp, "zelkon-pipe-call \"$(printf 'touch\\t%s' '" + made + "')\"");
    EXPECT_EQ(refused.code, 1) << refused.err;
    EXPECT_EQ(refused.out + refused.err, "Error: the request holds a control character\n");
    EXPECT_FALSE(std::filesystem::exists(made));
}

TEST(PipeCallProgram, APipeNobodyListensOnIsAClearFailure) {
    TempFolder temp;
    ProgramRun none =
        run_script(temp, "zelkon-pipe-call --pipe Nobody --timeout 50 'Num pipes:'", false);
    EXPECT_EQ(none.code, 1);
    EXPECT_TRUE(contains(none.err + none.out, "zelkon-pipe-call: no reply from .:")) << none.err;
    EXPECT_EQ(run_script(temp, "zelkon-pipe-call --timeout soon 'Num pipes:'", false).code, 2);
}

}  // namespace
}  // namespace zelkon
