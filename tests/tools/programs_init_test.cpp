// The initialisation command, read back by the controller's rules for its log.

#include <algorithm>
#include <sstream>

#include "inversion_fixture.h"
#include "text.h"

namespace zelkon_ref_test {
namespace {

std::vector<std::string> log_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        EXPECT_TRUE(!line.empty() && line.back() == '\r') << "not a CR LF line: " << line;
        lines.push_back(zelkon_ref::trim(line));
    }
    return lines;
}

// The value after a line's first ":".
std::string value_of(const std::string& line) {
    size_t colon = line.find(':');
    return colon == std::string::npos ? line : zelkon_ref::trim(line.substr(colon + 1));
}

TEST(ZelkonInit, LogHoldsWhatTheControllerReadsInItsOrder) {
    Inversion inv;
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Number of observed data", "30"}, {"Number of x cells", "6"},
        {"Number of y cells", "5"},        {"Number of z cells", "4"},
        {"Number of Components", "2"},     {"Data type, restart:", "1 2"},
        {"Data type:", "gz gx"},           {"Cluster File", "zelkon_cluster_12.zcd"}};
    // The controller tests "Error", then the keys above in their order; the first found in a
    // line decides what the line is.
    std::vector<std::string> keys = {"Error"};
    for (const auto& [key, value] : expected) {
        keys.push_back(key);
    }
    std::vector<std::pair<std::string, std::string>> read;
    for (const std::string& line : log_lines(inv.file("zelkon_cluster_init_12.log"))) {
        auto key = std::ranges::find_if(
            keys, [&](const std::string& k) { return line.find(k) != std::string::npos; });
        if (key != keys.end()) {
            read.emplace_back(*key, value_of(line));
        }
    }
    EXPECT_EQ(read, expected);
    EXPECT_TRUE(fs::exists(inv.folder() / "zelkon_cluster_12.zcd"));
}

// Bad input, a missing input file or the error switch give one Error line, a non-zero exit
// and no cluster data file; the log is named with the job ID as the caller wrote it.
TEST(ZelkonInit, OutcomeIsLoggedUnderTheJobIdAsGiven) {
    struct Case {
        std::string input;  // none when empty
        std::vector<std::string> env;
        std::string says;  // success when empty
    } cases[] = {{kSmallInput, {}, ""},
                 {std::string(kSmallInput) + "density = 2.67\n", {}, "unknown key \"density\""},
                 {"", {}, "does not exist"},
                 {kSmallInput, {"ZELKON_INIT_ERROR=licence server unreachable"}, "licence server"}};
    for (const Case& c : cases) {
        TempFolder folder;
        if (!c.input.empty()) {
            write_file(folder.file("zelkon.inp"), c.input);
        }
        ProgramRun run =
            run_program("zelkon", {"zelkon.inp", "CLUSTER=000007"}, folder.path(), c.env);
        EXPECT_EQ(run.exit_code, c.says.empty() ? 0 : 1) << run.err;
        EXPECT_TRUE(fs::exists(folder.file("zelkon_cluster_init_000007.log")));
        EXPECT_FALSE(fs::exists(folder.file("zelkon_cluster_init_7.log")));
        EXPECT_EQ(fs::exists(folder.file("zelkon_cluster_7.zcd")), c.says.empty());
        std::vector<std::string> errors;
        std::ranges::copy_if(log_lines(read_file(folder.file("zelkon_cluster_init_000007.log"))),
                             std::back_inserter(errors), [](const std::string& line) {
                                 return line.find("Error") != std::string::npos;
                             });
        ASSERT_EQ(errors.size(), c.says.empty() ? 0u : 1u) << c.says;
        EXPECT_TRUE(c.says.empty() || errors[0].find(c.says) != std::string::npos) << c.says;
    }
}

}  // namespace
}  // namespace zelkon_ref_test
