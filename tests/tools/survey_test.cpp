#include "survey.h"

#include <gtest/gtest.h>

#include "cluster_job.h"
#include "error.h"
#include "key_values.h"
#include "run_program.h"

namespace zelkon_ref {
namespace {

const char* kGood =
    "# a comment\n"
    "station_origin = 0 -5   # inline comment\n"
    "station_spacing = 10 10\n"
    "station_count = 4 3\n"
    "station_height = 2\n"
    "mesh_origin = -20 -20 0\n"
    "cell_size = 10 10 5\n"
    "cell_count = 6 5 4\n"
    "component = gz gz 1\n"
    "component = east gx 22\n";

Survey parse(const std::string& text) {
    return read_survey(parse_key_values(text, "zelkon.inp"), "zelkon.inp");
}

std::string error_of(const std::string& text) {
    try {
        parse(text);
    } catch (const ZelkonError& e) {
        return e.what();
    }
    return "";
}

TEST(ZelkonSurvey, ReadsAGoodInput) {
    Survey s = parse(kGood);
    EXPECT_EQ(s.stations.count(), 12);
    EXPECT_DOUBLE_EQ(s.stations.y0, -5);
    EXPECT_EQ(s.mesh.cells(), 120);
    ASSERT_EQ(s.components.size(), 2u);
    EXPECT_EQ(s.components[1].suffix, "east");
    EXPECT_EQ(s.components[1].kernel, Kernel::gx);
    EXPECT_EQ(s.components[1].type_code, 22);
    EXPECT_EQ(s.threshold, 0);
}

TEST(ZelkonSurvey, TextReadsBackUnchanged) {
    Survey s = parse(std::string(kGood) + "threshold = 0.001\ntitle = Test\n");
    s.mesh.dx = 0.1;  // not exact in binary: the text must keep every digit
    Survey back = parse(survey_text(s));
    EXPECT_EQ(survey_text(back), survey_text(s));
    EXPECT_EQ(back.mesh.dx, 0.1);
    EXPECT_EQ(back.threshold, 0.001);
}

TEST(ZelkonSurvey, FaultsAreNamedWithTheirLine) {
    std::string base = kGood;
    EXPECT_NE(error_of(base + "cell_count = 1 2\n").find("given twice"), std::string::npos);
    EXPECT_NE(error_of(base + "colour = red\n").find("line 11: unknown key \"colour\""),
              std::string::npos);
    EXPECT_NE(error_of(base + "just words\n").find("line 11: expected \"key = value\""),
              std::string::npos);
    EXPECT_NE(error_of(base + "component = gz gz 3\n").find("repeats the suffix"),
              std::string::npos);
    EXPECT_NE(error_of(base + "component = vv gq 3\n").find("gz, gx or gy"), std::string::npos);
    EXPECT_NE(error_of(base + "component = Errors gz 3\n").find("suffix"), std::string::npos);
    EXPECT_NE(error_of(base + "threshold = 1\n").find("below 1"), std::string::npos);
}

TEST(ZelkonSurvey, BadNumbersAreRefused) {
    std::string text = kGood;
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string t = text;
        t.replace(t.find(from), from.size(), to);
        return error_of(t);
    };
    EXPECT_NE(replaced("station_count = 4 3", "station_count = 4 0").find("above 0"),
              std::string::npos);
    EXPECT_NE(replaced("cell_size = 10 10 5", "cell_size = 10 10").find("needs 3"),
              std::string::npos);
    EXPECT_NE(replaced("cell_size = 10 10 5", "cell_size = 10 10 nan").find("cell_size"),
              std::string::npos);
    EXPECT_NE(replaced("station_height = 2", "station_height = 0").find("above the top"),
              std::string::npos);
    EXPECT_NE(replaced("cell_count = 6 5 4", "cell_count = 6000 5000 4").find("too many"),
              std::string::npos);
    EXPECT_NE(replaced("mesh_origin = -20 -20 0\n", "").find("\"mesh_origin\" is missing"),
              std::string::npos);
}

TEST(ZelkonSurvey, AtMostSixComponents) {
    std::string text = kGood;
    for (const char* s : {"c3", "c4", "c5", "c6"}) {
        text += std::string("component = ") + s + " gy 1\n";
    }
    EXPECT_EQ(parse(text).components.size(), 6u);
    EXPECT_NE(error_of(text + "component = c7 gy 1\n").find("at most 6"), std::string::npos);
}

TEST(ZelkonClusterJob, AnotherFileIsRefused) {
    zelkon_ref_test::TempFolder folder;
    zelkon_ref_test::write_file(folder.path() / "j.zcd", kGood);
    EXPECT_THROW(read_cluster_job(folder.path() / "j.zcd"), ZelkonError);
    EXPECT_THROW(read_cluster_job(folder.path() / "missing.zcd"), ZelkonError);
}

}  // namespace
}  // namespace zelkon_ref
