#include "survey.h"

#include <gtest/gtest.h>

#include "cluster_job.h"
#include "error.h"
#include "inversion_fixture.h"
#include "key_values.h"

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

TEST(ZelkonSurvey, ReadsAGoodInputWhoseTextReadsBackUnchanged) {
    Survey s = parse(kGood);
    EXPECT_EQ(s.stations.count(), 12);
    EXPECT_DOUBLE_EQ(s.stations.y0, -5);
    EXPECT_EQ(s.mesh.cells(), 120);
    ASSERT_EQ(s.components.size(), 2u);
    EXPECT_EQ(s.components[1].suffix, "east");
    EXPECT_EQ(s.components[1].kernel, Kernel::gx);
    EXPECT_EQ(s.components[1].type_code, 22);
    EXPECT_EQ(s.threshold, 0);
    s = parse(std::string(kGood) + "threshold = 0.001\ntitle = Test\n");
    s.mesh.dx = 0.1;  // not exact in binary: the text must keep every digit
    Survey back = parse(survey_text(s));
    EXPECT_EQ(survey_text(back), survey_text(s));
    EXPECT_EQ(back.mesh.dx, 0.1);
    EXPECT_EQ(back.threshold, 0.001);
}

// Each fault is named, with its line where it has one.
TEST(ZelkonSurvey, FaultsAreNamed) {
    std::string six =
        "component = c3 gy 1\ncomponent = c4 gy 1\ncomponent = c5 gy 1\n"
        "component = c6 gy 1\n";
    struct Case {
        std::string from, to, says;  // replaces "from" by "to", or appends "to" when "from" is ""
    } cases[] = {{"", "cell_count = 1 2\n", "given twice"},
                 {"", "colour = red\n", "line 11: unknown key \"colour\""},
                 {"", "just words\n", "line 11: expected \"key = value\""},
                 {"", "component = gz gz 3\n", "repeats the suffix"},
                 {"", "component = vv gq 3\n", "gz, gx or gy"},
                 {"", "component = Errors gz 3\n", "suffix"},
                 {"", "threshold = 1\n", "below 1"},
                 {"", six, ""},
                 {"", six + "component = c7 gy 1\n", "at most 6"},
                 {"station_count = 4 3", "station_count = 4 0", "above 0"},
                 {"cell_size = 10 10 5", "cell_size = 10 10", "needs 3"},
                 {"cell_size = 10 10 5", "cell_size = 10 10 nan", "cell_size"},
                 {"station_height = 2", "station_height = 0", "above the top"},
                 {"cell_count = 6 5 4", "cell_count = 6000 5000 4", "too many"},
                 {"mesh_origin = -20 -20 0\n", "", "\"mesh_origin\" is missing"}};
    for (const Case& c : cases) {
        std::string text = kGood;
        if (c.from.empty()) {
            text += c.to;
        } else {
            text.replace(text.find(c.from), c.from.size(), c.to);
        }
        std::string error = error_of(text);
        EXPECT_EQ(error.empty(), c.says.empty()) << c.to;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
}

TEST(ZelkonClusterJob, AnotherFileIsRefused) {
    zelkon::TempFolder folder;
    zelkon_ref_test::write_file(folder.file("j.zcd"), kGood);
    EXPECT_THROW(read_cluster_job(folder.file("j.zcd")), ZelkonError);
    EXPECT_THROW(read_cluster_job(folder.file("missing.zcd")), ZelkonError);
}

}  // namespace
}  // namespace zelkon_ref
