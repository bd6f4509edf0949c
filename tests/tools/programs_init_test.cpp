// The initialisation command, read back by the controller's rules for its log.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "inversion_fixture.h"
#include "run_program.h"
#include "text.h"

namespace zelkon_ref_test {
namespace {

namespace fs = std::filesystem;

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

std::vector<std::string> error_lines(const std::string& text) {
    std::vector<std::string> found;
    for (const std::string& line : log_lines(text)) {
        if (line.find("Error") != std::string::npos) {
            found.push_back(line);
        }
    }
    return found;
}

TEST(ZelkonInit, LogHoldsWhatTheControllerReads) {
    Inversion inv;
    std::vector<std::string> lines = log_lines(inv.file("zelkon_cluster_init_12.log"));
    // The controller tests keys in this order; the first that appears anywhere decides.
    const std::vector<std::string> keys = {"Error",
                                           "Number of observed data",
                                           "Number of x cells",
                                           "Number of y cells",
                                           "Number of z cells",
                                           "Number of Components",
                                           "Data type, restart:",
                                           "Data type:",
                                           "Cluster File"};
    std::map<std::string, std::string> values;
    std::vector<std::string> order;
    for (const std::string& line : lines) {
        for (const std::string& key : keys) {
            if (line.find(key) != std::string::npos) {
                values[key] = value_of(line);
                order.push_back(key);
                break;
            }
        }
    }
    EXPECT_EQ(values.count("Error"), 0u);
    EXPECT_EQ(values["Number of observed data"], "30");
    EXPECT_EQ(zelkon_ref::split_items(values["Number of x cells"])[0], "6");
    EXPECT_EQ(zelkon_ref::split_items(values["Number of y cells"])[0], "5");
    EXPECT_EQ(zelkon_ref::split_items(values["Number of z cells"])[0], "4");
    EXPECT_EQ(values["Number of Components"], "2");
    EXPECT_EQ(zelkon_ref::split_items(values["Data type, restart:"]),
              (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(zelkon_ref::split_items(values["Data type:"]),
              (std::vector<std::string>{"gz", "gx"}));
    // "Number of Components" must come before the two data-type lines.
    auto at = [&](const std::string& key) {
        return std::find(order.begin(), order.end(), key) - order.begin();
    };
    EXPECT_LT(at("Number of Components"), at("Data type, restart:"));
    EXPECT_LT(at("Number of Components"), at("Data type:"));
    const std::string data_file = values["Cluster File"];
    EXPECT_EQ(data_file, "zelkon_cluster_12.zcd");
    EXPECT_EQ(data_file.substr(data_file.size() - 4, 1), ".");
    EXPECT_TRUE(fs::exists(inv.folder() / data_file));
}

TEST(ZelkonInit, BadInputGivesOneErrorLineAndFails) {
    struct Case {
        std::string input;
        std::string says;
    };
    std::string good = kSmallInput;
    std::vector<Case> cases = {
        {good.substr(0, good.find("station_height")) + good.substr(good.find("mesh_origin")),
         "station_height"},
        {good + "cell_count = 1 1 1\n", "cell_count"},
        {good + "component = gz gz 3\n", "repeats the suffix"},
        {good + "density = 2.67\n", "unknown key \"density\""},
        {std::string(good).replace(good.find("6 5\n"), 3, "6 x"), "station_count"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        write_file(folder.path() / "zelkon.inp", c.input);
        ProgramRun run = run_program("zelkon", {"zelkon.inp", "CLUSTER=3"}, folder.path());
        EXPECT_NE(run.exit_code, 0);
        std::vector<std::string> errors =
            error_lines(read_file(folder.path() / "zelkon_cluster_init_3.log"));
        ASSERT_EQ(errors.size(), 1u) << c.says;
        EXPECT_NE(errors[0].find(c.says), std::string::npos) << errors[0];
        EXPECT_FALSE(fs::exists(folder.path() / "zelkon_cluster_3.zcd"));
    }
}

TEST(ZelkonInit, MissingInputFileIsReported) {
    TempFolder folder;
    ProgramRun run = run_program("zelkon", {"zelkon.inp", "CLUSTER=4"}, folder.path());
    EXPECT_EQ(run.exit_code, 1);
    std::vector<std::string> errors =
        error_lines(read_file(folder.path() / "zelkon_cluster_init_4.log"));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("does not exist"), std::string::npos);
}

TEST(ZelkonInit, TheLogCarriesTheJobIdAsTheCallerWroteIt) {
    TempFolder folder;
    write_file(folder.path() / "zelkon.inp", kSmallInput);
    ProgramRun run = run_program("zelkon", {"zelkon.inp", "CLUSTER=000007"}, folder.path());
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_TRUE(fs::exists(folder.path() / "zelkon_cluster_init_000007.log"));
    EXPECT_FALSE(fs::exists(folder.path() / "zelkon_cluster_init_7.log"));
}

TEST(ZelkonInit, ErrorSwitchMakesTheInitialisationFail) {
    TempFolder folder;
    write_file(folder.path() / "zelkon.inp", kSmallInput);
    ProgramRun run = run_program("zelkon", {"zelkon.inp", "CLUSTER=5"}, folder.path(),
                                 {"ZELKON_INIT_ERROR=licence server unreachable"});
    EXPECT_EQ(run.exit_code, 1);
    std::vector<std::string> errors =
        error_lines(read_file(folder.path() / "zelkon_cluster_init_5.log"));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("licence server unreachable"), std::string::npos);
}

TEST(ZelkonInit, BadCommandLineShowsUsage) {
    TempFolder folder;
    for (std::vector<std::string> args : {std::vector<std::string>{"zelkon.inp"},
                                          {"zelkon.inp", "CLUSTER="},
                                          {"zelkon.inp", "CLUSTER=1x"},
                                          {"zelkon.inp", "JOB=1"}}) {
        ProgramRun run = run_program("zelkon", args, folder.path());
        EXPECT_EQ(run.exit_code, 2);
        EXPECT_NE(run.err.find("usage: zelkon"), std::string::npos);
    }
}

}  // namespace
}  // namespace zelkon_ref_test
