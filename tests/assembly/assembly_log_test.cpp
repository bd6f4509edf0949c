#include "assembly/assembly_log.h"

#include <algorithm>

#include "assembly_fixture.h"

namespace zelkon {
namespace {

std::string with(std::string line, std::size_t at, const std::string& text) {
    return line.replace(at, text.size(), text);
}

TEST(DecodeAssemblyLine, FixedColumnsBlanksAndDamage) {
    struct Case {
        const char* what;
        std::string line;
        int components;
        std::int32_t task, first, last, ierr;
        double mb1, mb_last;
    };
    const std::vector<long long> seven(7, 1048576);
    const Case cases[] = {
        {"two components", data_line(12, 111, 120, 3.5, {1048576, 3145728}), 2, 12, 111, 120, 0,
         1.0, 3.0},
        {"blank component keeps the integers", data_line(3, 21, 30, 1, {}), 1, 3, 21, 30, -1, 0, 0},
        {"a second blank component gives zero",
         data_line(3, 21, 30, 1, {2097152}) + std::string(25, ' '), 2, 3, 21, 30, 0, 2.0, 0.0},
        {"non-numeric keeps the caller's value",
         with(data_line(4, 31, 40, 1, {1048576}), 7, "  abc   "), 1, 4, -5, 40, 0, 1.0, 1.0},
        {"nothing numeric", "   x   rest", 1, -5, -5, -5, -1, 0, 0},
        {"empty", "", 1, -5, -5, -5, -1, 0, 0},
        {"seven components decode six", data_line(1, 1, 10, 1, seven), 7, 1, 1, 10, 0, 1.0, 1.0},
        {"too large a number stops", with(data_line(1, 1, 10, 1, {1048576}), 8, "9e99    "), 1, 1,
         -5, -5, -1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::int32_t task = -5, first = -5, last = -5, ierr = 99;
        std::array<double, kMaxComponents + 1> mb{};
        decode_cluster_assembly_line(c.line, task, first, last, c.components, mb, ierr);
        EXPECT_EQ(std::vector<std::int32_t>({task, first, last, ierr}),
                  std::vector<std::int32_t>({c.task, c.first, c.last, c.ierr}));
        if (c.ierr == 0) {
            EXPECT_DOUBLE_EQ(mb[1], c.mb1);
            EXPECT_DOUBLE_EQ(mb[std::min(c.components, 6)], c.mb_last);
        }
    }
}

// Columns 47 to 56 in seconds; a time no sum of the run could hold, however
// it is written, is an overflow rather than an undefined conversion.
TEST(AssemblyTime, IsReadInMillisecondsAndOutOfRangeOverflows) {
    EXPECT_EQ(assembly_time_of(data_line(1, 1, 10, 2.5, {1})), FixedMs::from_ms(2500));
    EXPECT_EQ(assembly_time_of(data_line(1, 1, 10, -3, {1})), FixedMs());
    EXPECT_EQ(assembly_time_of(with(data_line(1, 1, 10, 1, {1}), 46, "     abc  ")), FixedMs());
    for (const char* field : {"      1e14", "1000000e12"}) {
        try {
            assembly_time_of(with(data_line(1, 1, 10, 1, {1}), 46, field));
            ADD_FAILURE() << "no overflow: " << field;
        } catch (const ZelkonError& error) {
            EXPECT_EQ(error.description(), "Overflow");
        }
    }
}

class LoadAssemblyLog : public ::testing::Test, public RunBench {
  protected:
    LoadAssemblyLog() {
        data.assembly_log_file = "/inv/job_assembly.dat";
        assembly_state.assembly_log_lines.assign(kAssemblyLogGrowth + 1, "");
        data.num_data = 100'000;
    }
    std::int32_t load(const std::string& content) {
        fake.files.add_file(data.assembly_log_file, content);
        std::int32_t ierr = 99;
        log.load_assembly_dat_file(ierr);
        return ierr;
    }
    AssemblyLog log{data, assembly_state, fake.files, fake.dialogs};
};

TEST_F(LoadAssemblyLog, AMissingLogIsNoErrorAndOnlyAHeaderLeavesTheLastTaskAlone) {
    assembly_state.assembly_log_last_task = 4;
    std::int32_t ierr = 99;
    log.load_assembly_dat_file(ierr);
    EXPECT_EQ(ierr, 0);
    EXPECT_EQ(load("  TaskID\r\n"), 0);
    EXPECT_EQ(assembly_state.assembly_log_last_task, 4);
    EXPECT_EQ(assembly_state.assembly_log_header, "  TaskID");
    EXPECT_TRUE(fake.dialogs.messages.empty());
}

// The assembly may be appending its line while the log is read: a line
// without its end is taken once it is whole. Each task keeps its last line.
TEST_F(LoadAssemblyLog, KeepsTheLastWholeLineOfEachTask) {
    std::string first = data_line(1, 1, 10, 1, {1}) + "\r\n   \r\n" + data_line(2, 11, 20, 1, {2}) +
                        "\r\n" + data_line(3, 21, 30, 1, {3}) + "\r\n";
    std::string second_2 = data_line(2, 11, 20, 9.0, {2});
    EXPECT_EQ(load(first + second_2), 0);
    EXPECT_EQ(assembly_state.assembly_log_last_task, 3);
    EXPECT_EQ(assembly_state.assembly_log_lines[2], data_line(2, 11, 20, 1, {2}));
    EXPECT_EQ(load(first + second_2 + "\r\n"), 0);
    EXPECT_EQ(assembly_state.assembly_log_last_task, 2);
    EXPECT_EQ(assembly_state.assembly_log_lines[2], second_2);
    EXPECT_EQ(assembly_state.assembly_log_lines[3], data_line(3, 21, 30, 1, {3}));
}

TEST_F(LoadAssemblyLog, GrowsInStepsOf5120) {
    EXPECT_EQ(load(data_line(6000, 1, 2, 0, {1}) + "\r\n"), 0);
    EXPECT_EQ(assembly_state.assembly_log_lines.size(), 10241u);
    EXPECT_EQ(load(data_line(30000, 1, 2, 0, {1}) + "\r\n"), 0);
    EXPECT_EQ(assembly_state.assembly_log_lines.size(), 30721u);
    EXPECT_FALSE(assembly_state.assembly_log_lines[6000].empty()) << "earlier entries are kept";
}

// A task holds one data point at least: a task number beyond the data points
// (or below 0) is damage, reported, and the lines before it are kept.
TEST_F(LoadAssemblyLog, TaskNumbersAreBoundedByTheRunsDataPoints) {
    struct Case {
        std::int32_t num_data;
        std::string task;
        std::int32_t ierr;
    };
    for (const Case& c :
         {Case{3'000'000, "1500000", 0}, Case{3'000'000, "3000000", 0}, Case{100, "    101", -1},
          Case{3'000'000, "3000001", -1}, Case{100, "-000001", -1}, Case{100, "9999999999", -1}}) {
        SCOPED_TRACE(c.task);
        fake.dialogs.messages.clear();
        assembly_state.assembly_log_last_task = 0;
        data.num_data = c.num_data;
        EXPECT_EQ(load(data_line(1, 1, 10, 1, {1}) + "\r\n" + c.task + " rest\r\n"), c.ierr);
        EXPECT_EQ(fake.dialogs.messages,
                  c.ierr == 0 ? std::vector<std::string>{}
                              : std::vector<std::string>{"An error occurred while loading the "
                                                         "assembly log file: Subscript out of "
                                                         "range"});
        EXPECT_EQ(assembly_state.assembly_log_last_task, c.ierr == 0 ? std::stoi(c.task) : 1);
    }
}

}  // namespace
}  // namespace zelkon
