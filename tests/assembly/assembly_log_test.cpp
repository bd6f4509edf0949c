#include "assembly/assembly_log.h"

#include "assembly_fixture.h"

namespace zelkon {
namespace {

std::string with(std::string line, std::size_t at, const std::string& text) {
    return line.replace(at, text.size(), text);
}

// A field that is not numeric keeps the caller's value (-5 here).
TEST(DecodeAssemblyLine, FixedColumnsBlanksAndDamage) {
    using Out = std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t, double, double>;
    const std::tuple<std::string, int, Out> cases[] = {
        {data_line(12, 111, 120, 3.5, {1048576, 3145728}), 2, {12, 111, 120, 0, 1.0, 3.0}},
        {data_line(3, 21, 30, 1, {}), 1, {3, 21, 30, -1, 0, 0}},
        {data_line(3, 21, 30, 1, {2097152}) + std::string(25, ' '), 2, {3, 21, 30, 0, 2.0, 0}},
        {with(data_line(4, 31, 40, 1, {1048576}), 7, "  abc   "), 1, {4, -5, 40, 0, 1.0, 0}},
        {"   x   rest", 1, {-5, -5, -5, -1, 0, 0}},
        {data_line(1, 1, 10, 1, std::vector<long long>(7, 1048576)), 7, {1, 1, 10, 0, 1.0, 2.0}},
        {with(data_line(1, 1, 10, 1, {1048576}), 8, "9e99    "), 1, {1, -5, -5, -1, 0, 0}},
    };
    for (const auto& [line, components, expected] : cases) {
        std::int32_t task = -5, first = -5, last = -5, ierr = 99;
        std::array<double, kMaxComponents + 1> mb{};
        decode_cluster_assembly_line(line, task, first, last, components, mb, ierr);
        EXPECT_EQ(Out(task, first, last, ierr, mb[1], mb[2] + mb[6]), expected) << line;
    }
}

// Columns 47 to 56 in seconds; a time no sum can hold is an "Overflow".
TEST(AssemblyTime, IsReadInMillisecondsAndOutOfRangeOverflows) {
    EXPECT_EQ(assembly_time_of(data_line(1, 1, 10, 2.5, {1})), FixedMs::from_ms(2500));
    EXPECT_EQ(assembly_time_of(data_line(1, 1, 10, -3, {1})), FixedMs());
    EXPECT_EQ(assembly_time_of(with(data_line(1, 1, 10, 1, {1}), 46, "     abc  ")), FixedMs());
    EXPECT_THROW(assembly_time_of(with(data_line(1, 1, 10, 1, {1}), 46, "1000000e12")),
                 ZelkonError);
}

// A line without its end (still being written) waits; no task beyond the data points.
TEST(LoadAssemblyLog, KeepsTheLastWholeLineOfEachTaskAndRejectsImpossibleTasks) {
    RunBench bench;
    bench.data.assembly_log_file = "/inv/job_assembly.dat";
    bench.data.num_data = 100'000;
    AssemblyProgress& state = bench.assembly_state;
    state.assembly_log_lines.assign(kAssemblyLogGrowth + 1, "");
    AssemblyLog log{bench.data, state, bench.fake.files, bench.fake.dialogs};
    auto load = [&](const std::string& content) {
        bench.fake.files.add_file(bench.data.assembly_log_file, content);
        std::int32_t ierr = 99;
        log.load_assembly_dat_file(ierr);
        return ierr;
    };
    EXPECT_EQ(load("  TaskID\r\n"), 0);
    EXPECT_EQ(std::tuple(state.assembly_log_header, state.assembly_log_last_task),
              std::tuple("  TaskID", 0));
    std::string lines = data_line(1, 1, 10, 1, {1}) + "\r\n   \r\n" + data_line(2, 11, 20, 1, {2}) +
                        "\r\n" + data_line(6000, 21, 30, 1, {3}) + "\r\n";
    std::string second_2 = data_line(2, 11, 20, 9.0, {2});
    EXPECT_EQ(load(lines + second_2), 0);
    EXPECT_EQ(std::tuple(state.assembly_log_last_task, state.assembly_log_lines[2]),
              std::tuple(6000, data_line(2, 11, 20, 1, {2})));
    EXPECT_EQ(load(lines + second_2 + "\r\n"), 0);
    EXPECT_EQ(std::tuple(state.assembly_log_last_task, state.assembly_log_lines[2],
                         state.assembly_log_lines.size()),
              std::tuple(2, second_2, std::size_t{10241}));
    EXPECT_TRUE(bench.fake.dialogs.messages.empty());
    for (const char* task : {"-000001", "9999999", "0100001"}) {
        EXPECT_EQ(load(data_line(3, 1, 10, 1, {1}) + "\r\n" + task + " rest\r\n"), -1) << task;
        EXPECT_EQ(state.assembly_log_last_task, 3);
    }
    EXPECT_EQ(bench.fake.dialogs.messages,
              std::vector<std::string>(3,
                                       "An error occurred while loading the assembly log file: "
                                       "Subscript out of range"));
}

}  // namespace
}  // namespace zelkon
