#include "assembly/assembly_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "assembly_lines.h"
#include "form/Form_zelkon_cluster_controller.h"
#include "platform/fake/fake_platform.h"

namespace zelkon {
namespace {

struct Decoded {
    std::int32_t task = -5, first = -5, last = -5, ierr = 99;
    std::array<double, kMaxComponents + 1> mb{};
};

Decoded decode(const std::string& line, int components) {
    Decoded out;
    decode_cluster_assembly_line(line, out.task, out.first, out.last, components, out.mb, out.ierr);
    return out;
}

// How a line is changed before it is decoded, and what the decoding gives.
struct DecodeCase {
    const char* what;
    std::string line;
    int components;
    std::int32_t task, first, last, ierr;
    double mb1, mb_last;
};

std::string with(std::string line, std::size_t at, const std::string& text) {
    return line.replace(at, text.size(), text);
}

TEST(DecodeAssemblyLine, FixedColumnsBlanksAndDamage) {
    const std::vector<long long> seven(7, 1048576);
    const DecodeCase cases[] = {
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
    EXPECT_EQ(data_line(1, 1, 1, 0, {0}).size(), 94u);
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.what);
        Decoded d = decode(c.line, c.components);
        EXPECT_EQ(d.task, c.task);
        EXPECT_EQ(d.first, c.first);
        EXPECT_EQ(d.last, c.last);
        EXPECT_EQ(d.ierr, c.ierr);
        if (c.ierr == 0) {
            EXPECT_DOUBLE_EQ(d.mb[1], c.mb1);
            EXPECT_DOUBLE_EQ(d.mb[std::min(c.components, 6)], c.mb_last);
        }
    }
}

class LoadAssemblyLog : public ::testing::Test {
  protected:
    void SetUp() override {
        form.data.assembly_log_file = "/inv/job_assembly.dat";
        form.assembly_state.assembly_log_lines.assign(kAssemblyLogGrowth + 1, "");
        form.data.num_data = 100'000;
    }
    void write_log(const std::string& content) {
        fake.files.add_file(form.data.assembly_log_file, content);
    }
    std::int32_t load() {
        std::int32_t ierr = 99;
        form.assembly_log.load_assembly_dat_file(ierr);
        return ierr;
    }

    FakePlatform fake;
    Form_zelkon_cluster_controller form{fake.bundle()};
};

TEST_F(LoadAssemblyLog, AMissingLogIsNoErrorAndChangesNothing) {
    form.assembly_state.assembly_log_last_task = 7;
    EXPECT_EQ(load(), 0);
    EXPECT_EQ(form.assembly_state.assembly_log_last_task, 7);
    EXPECT_TRUE(fake.dialogs.messages.empty());
}

// A task holds one data point at least: a task number beyond the data points
// is damage, whatever its size; one within them loads, however large.
TEST_F(LoadAssemblyLog, TaskNumbersAreBoundedByTheRunsDataPoints) {
    struct Case {
        std::int32_t num_data;
        std::int32_t task;
        std::int32_t ierr;
    };
    for (const Case& c : {Case{3'000'000, 1'500'000, 0}, Case{3'000'000, 3'000'000, 0},
                          Case{100, 101, -1}, Case{3'000'000, 3'000'001, -1}}) {
        SCOPED_TRACE(std::to_string(c.task) + " of " + std::to_string(c.num_data));
        fake.dialogs.messages.clear();
        form.data.num_data = c.num_data;
        write_log(data_line(c.task, 1, 10, 1, {1}) + "\r\n");
        EXPECT_EQ(load(), c.ierr);
        EXPECT_EQ(fake.dialogs.messages.size(), c.ierr == 0 ? 0u : 1u);
        if (c.ierr == 0) {
            EXPECT_EQ(form.assembly_state.assembly_log_last_task, c.task);
        }
    }
}

TEST_F(LoadAssemblyLog, KeepsTheHeaderAndTheLastLineOfEachTask) {
    std::string header = "TaskID  First   Last   ...";
    std::string second_2 = data_line(2, 11, 20, 9.0, {2});
    write_log(header + "\r\n" + data_line(1, 1, 10, 1, {1}) + "\r\n   \r\n" +
              data_line(2, 11, 20, 1, {2}) + "\r\n" + data_line(3, 21, 30, 1, {3}) + "\r\n" +
              second_2 + "\r\n");
    EXPECT_EQ(load(), 0);
    EXPECT_EQ(form.assembly_state.assembly_log_header, header);
    EXPECT_EQ(form.assembly_state.assembly_log_last_task, 2);
    EXPECT_EQ(form.assembly_state.assembly_log_lines[2], second_2);
    EXPECT_FALSE(form.assembly_state.assembly_log_lines[3].empty());
}

TEST_F(LoadAssemblyLog, OnlyAHeaderLeavesTheLastTaskAlone) {
    form.assembly_state.assembly_log_last_task = 4;
    write_log("  TaskID\r\n");
    EXPECT_EQ(load(), 0);
    EXPECT_EQ(form.assembly_state.assembly_log_last_task, 4);
    EXPECT_EQ(form.assembly_state.assembly_log_header, "  TaskID");
}

TEST_F(LoadAssemblyLog, GrowsInStepsOf5120) {
    write_log(data_line(6000, 1, 2, 0, {1}) + "\r\n");
    EXPECT_EQ(load(), 0);
    EXPECT_EQ(form.assembly_state.assembly_log_lines.size(), 10241u);
    write_log(data_line(30000, 1, 2, 0, {1}) + "\r\n");
    EXPECT_EQ(load(), 0);
    EXPECT_EQ(form.assembly_state.assembly_log_lines.size(), 30721u);
    EXPECT_FALSE(form.assembly_state.assembly_log_lines[6000].empty()) << "earlier entries are kept";
}

TEST_F(LoadAssemblyLog, ANegativeOrHugeTaskNumberIsReportedAndKeepsEarlierLines) {
    write_log(data_line(1, 1, 10, 1, {1}) + "\r\n" + "-000001" + "\r\n" +
              data_line(2, 11, 20, 1, {1}) + "\r\n");
    EXPECT_EQ(load(), -1);
    ASSERT_EQ(fake.dialogs.messages.size(), 1u);
    EXPECT_EQ(fake.dialogs.messages[0],
              "An error occurred while loading the assembly log file: Subscript out of range");
    EXPECT_EQ(form.assembly_state.assembly_log_last_task, 1);

    write_log("9999999999 rest\r\n");
    EXPECT_EQ(load(), -1);
    write_log("1999999 rest\r\n");
    EXPECT_EQ(load(), -1) << "a task number no run has";
}

TEST(AssemblyLogReaders, RandomInputNeverCrashes) {
    std::mt19937 random(20261206);
    const std::string alphabet = "0123456789 .-+eE\tTaskID\r\nxyz\x01\xff";
    for (int round = 0; round < 3000; ++round) {
        std::string content;
        int length = static_cast<int>(random() % 400);
        for (int i = 0; i < length; ++i) {
            content.push_back(alphabet[random() % alphabet.size()]);
        }
        FakePlatform fake;
        Form_zelkon_cluster_controller form(fake.bundle());
        form.data.assembly_log_file = "/a.dat";
        form.data.num_data = 2000;
        fake.files.add_file("/a.dat", content);
        std::int32_t ierr = 0;
        form.assembly_log.load_assembly_dat_file(ierr);
        EXPECT_TRUE(ierr == 0 || ierr == -1);
        EXPECT_LE(form.assembly_state.assembly_log_lines.size(),
                  static_cast<std::size_t>(2000 + kAssemblyLogGrowth + 1));
        Decoded d = decode(content, static_cast<int>(random() % 9));
        EXPECT_TRUE(d.ierr == 0 || d.ierr == -1);
    }
}

}  // namespace
}  // namespace zelkon
