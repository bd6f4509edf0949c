#include "assembly_log.h"

#include <gtest/gtest.h>

#include "error.h"
#include "inversion_fixture.h"
#include "text.h"

namespace zelkon_ref {
namespace {

using zelkon_ref_test::columns;
using zelkon_ref_test::number_at;

Survey survey_with(int components) {
    Survey s;
    for (int c = 0; c < components; ++c) {
        s.components.push_back({"c" + std::to_string(c + 1), Kernel::gz, c});
    }
    return s;
}

AssemblyLine sample(int components) {
    AssemblyLine l{1234567, 99999001, 99999999, 999, 12.345, "23:59:58", {}, {}, "nodeA/3"};
    for (int c = 0; c < components; ++c) {
        l.sizes.push_back(999999999999ull - c);
        l.ratios.push_back(1.5 + c);
    }
    return l;
}

// The widest values fill their columns exactly; wider ones are refused.
TEST(ZelkonAssemblyLog, EveryFieldSitsInItsColumns) {
    const std::string line = format_assembly_line(sample(6));
    EXPECT_EQ(number_at(line, 1, 7), 1234567);
    EXPECT_EQ(number_at(line, 8, 15), 99999001);
    EXPECT_EQ(number_at(line, 16, 23), 99999999);
    EXPECT_NEAR(number_at(line, 47, 56), 12.345, 1e-9);
    for (size_t c = 1; c <= 6; ++c) {
        EXPECT_EQ(number_at(line, 70 + 25 * (c - 1), 81 + 25 * (c - 1)), 999999999999.0 - (c - 1));
    }
    EXPECT_EQ(trim(columns(line, 24, 31)), "999");
    EXPECT_EQ(line.substr(line.size() - 9), "  nodeA/3");
    AssemblyLine wide = sample(1);
    wide.task = 10000000;
    EXPECT_THROW(format_assembly_line(wide), ZelkonError);
    wide = sample(1);
    wide.sizes[0] = 1000000000000ull;
    EXPECT_THROW(format_assembly_line(wide), ZelkonError);
    // The header is told apart from data by "TaskID" and by having no task number.
    std::string header = assembly_log_header(survey_with(2));
    EXPECT_NE(header.find("TaskID"), std::string::npos);
    EXPECT_FALSE(parse_integer(columns(header, 1, 7)).has_value());
    EXPECT_EQ(trim(columns(header, 70, 81)), "Bytes_c1");
    EXPECT_EQ(trim(columns(header, 95, 106)), "Bytes_c2");
}

TEST(ZelkonAssemblyLog, CommitPointIsTheLastWholeDataLine) {
    zelkon::TempFolder folder;
    auto log = folder.file("a_assembly.dat");
    EXPECT_FALSE(read_committed_state(log, 2).any);
    const std::string header = assembly_log_header(survey_with(2)) + "\r\n";
    zelkon_ref_test::write_file(log, header);
    EXPECT_FALSE(read_committed_state(log, 2).any);
    AssemblyLine one{1, 1, 10, 10, 0.1, "01:00:00", {100, 200}, {1, 1}, "s/1"};
    AssemblyLine two{2, 11, 20, 10, 0.1, "01:00:01", {300, 400}, {1, 1}, "s/1"};
    std::string text =
        header + format_assembly_line(one) + "\r\n\r\n" + format_assembly_line(two) + "\r\n";
    zelkon_ref_test::write_file(log, text + "      3      21");  // a line cut short
    CommittedState state = read_committed_state(log, 2);
    EXPECT_TRUE(state.any);
    EXPECT_EQ(state.task, 2);
    EXPECT_EQ(state.last, 20);
    EXPECT_EQ(state.sizes, (std::vector<std::uint64_t>{300, 400}));
    EXPECT_EQ(state.whole_lines_bytes, text.size());
    zelkon_ref_test::write_file(log, "      1       1      10\r\n");  // no sizes
    EXPECT_THROW(read_committed_state(log, 1), ZelkonError);
}

}  // namespace
}  // namespace zelkon_ref
