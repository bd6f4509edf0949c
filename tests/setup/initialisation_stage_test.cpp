#include <random>

#include "run_setup_fixture.h"

namespace zelkon {
namespace {

TEST_F(RunSetupTest, ReadsTheFiguresOfTheInitLog) {
    start();
    EXPECT_EQ(form.data.num_data, 1004);
    EXPECT_EQ(form.data.num_x_cells, 100);
    EXPECT_EQ(form.data.num_components, 1);
    EXPECT_EQ(form.data.component_data_type[1], 1);
    EXPECT_EQ(form.data.component_suffix[1], "gz");
    EXPECT_EQ(form.data.cluster_data_file, kClusterFile);
    EXPECT_DOUBLE_EQ(form.data.mtx_mb_per_datum, 1.9073486328125);
    EXPECT_EQ(form.controls.Text_mtx_ndata.text, "1004");
    EXPECT_EQ(form.controls.Text_mtx_mz.text, "50");
}

TEST_F(RunSetupTest, AMissingCellCountLeavesTheMatrixSizeAtZero) {
    set_init_line("Number of z cells", "Number of z cells: none");
    start();
    EXPECT_DOUBLE_EQ(form.data.mtx_mb_per_datum, 0.0);
    EXPECT_EQ(form.controls.Text_mtx_mx.text, "0");
}

struct InitLogCase {
    const char* what;
    std::vector<std::pair<std::string, std::string>> lines;  // key, line replacing it
    std::string message;
};

class InitLogCheck : public RunSetupTest, public ::testing::WithParamInterface<InitLogCase> {};

TEST_P(InitLogCheck, StopsWithItsMessage) {
    for (const auto& [key, line] : GetParam().lines) {
        set_init_line(key, line);
    }
    start();
    EXPECT_EQ(only_message(), GetParam().message);
    EXPECT_FALSE(form.Timer_cluster_task->enabled());
    EXPECT_FALSE(form.controls.busy_pointer);
}

const std::string kInit = "The Zelkon cluster initialisation stage ";
const std::string kSuffix2 = kInit + "did not correctly specify the data suffix for component 2";
const std::string kStage16 = "An error occurred while setting up the cluster run: ";
const std::pair<std::string, std::string> kTwo{"Number of Components", "Number of Components: 2"};
const std::pair<std::string, std::string> kTypes12{"Data type, restart", "Data type, restart: 1 2"};

INSTANTIATE_TEST_SUITE_P(
    Init, InitLogCheck,
    ::testing::Values(
        InitLogCase{"equals_sign",
                    {{"Number of observed data", "Number of observed data = 500"}},
                    kInit + "did not read the observed data correctly"},
        InitLogCase{"a_line_containing_Error",
                    {{"Reading mesh", "  Reading mesh: MeshError in cell 4  "}},
                    kInit + "encountered an error: Reading mesh: MeshError in cell 4"},
        InitLogCase{"data_type_of_component_2",
                    {kTwo, {"Data type, restart", "Data type, restart: 1 x"}},
                    kInit + "did not correctly specify the data type for component 2 correctly"},
        InitLogCase{"missing_suffix", {kTwo, kTypes12, {"Data type:", "Data type: gz"}}, kSuffix2},
        InitLogCase{"suffix_leaving_the_folder",
                    {kTwo, kTypes12, {"Data type:", "Data type: gz ../../etc/x"}},
                    kSuffix2},
        InitLogCase{"seven_components",
                    {{"Number of Components", "Number of Components: 7"},
                     {"Data type, restart", "Data type, restart: 1 2 3 4 5 6 7"}},
                    kStage16 + "Subscript out of range at stage 16 while performing action: Read "
                               "the init log file"},
        InitLogCase{"observed_data_overflow",
                    {{"Number of observed data", "Number of observed data: 1e12"}},
                    kStage16 + "Overflow at stage 16 while performing action: Read the init log "
                               "file"},
        InitLogCase{"no_components",
                    {{"Number of Components", "Number of Components: 0"}},
                    kInit + "did not read the Number of Components correctly"},
        InitLogCase{"cluster_file_unnamed",
                    {{"Cluster File", "Cluster File:   "}},
                    "The Zelkon cluster cluster data file was not generated correctly"},
        InitLogCase{"cluster_file_missing",
                    {{"Cluster File", "Cluster File: other.zcd"}},
                    "The Zelkon cluster cluster data file does not exist"},
        InitLogCase{"no_observed_data",
                    {{"Number of observed data", "Number of observed data: 0"}},
                    "The Zelkon cluster cluster data file was not generated correctly"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(RunSetupTest, LowerCaseErrorIsNotAnError) {
    init_log.insert(init_log.begin() + 1, "no error found");
    start();
    EXPECT_TRUE(fake.dialogs.messages.empty());
}

TEST_F(RunSetupTest, ARestartValueWithASecondColonUsesWhatFollowsIt) {
    set_init_line("Number of Components", "Number of Components: 2");
    set_init_line("Data type, restart", "Data type, restart: codes: 3 4");
    set_init_line("Data type:", "Data type: gz gx");
    start();
    EXPECT_EQ(form.data.component_data_type[1], 3);
    EXPECT_EQ(form.data.component_data_type[2], 4);
}

TEST_F(RunSetupTest, AnInitWithoutALogIsReported) {
    fake.processes.on_start = nullptr;
    start();
    EXPECT_EQ(only_message(),
              "The Zelkon cluster initialisation stage did not generate a log file");
}

TEST_F(RunSetupTest, WithUseRpcTheInitStartsAsALocalProcessInTheInversionFolder) {
    form.controls.Check_use_RPC.value = 1;
    start();
    ASSERT_EQ(fake.processes.started.size(), 1u);
    EXPECT_EQ(fake.processes.started[0].folder, "") << "it inherits the current directory";
    EXPECT_EQ(fake.current_directory.path, kInversion);
    // No listener answers here, so no task server can take the tasks.
    EXPECT_EQ(only_message(),
              "An error was encountered while running the calculation: No task server is left to "
              "run the remaining tasks");
}

TEST(InitLogReader, RandomLogsEndInAMessageOrARunNeverACrash) {
    std::mt19937 random(7);
    const std::vector<std::string> pieces = {"Number of observed data",
                                             "Number of x cells",
                                             "Number of Components",
                                             "Data type",
                                             "Data type, restart",
                                             "Cluster File",
                                             "Error",
                                             ":",
                                             " ",
                                             "1",
                                             "7",
                                             "-3",
                                             "1e40",
                                             "x",
                                             "zelkon_cluster_000012.zcd",
                                             "\r\n",
                                             "\t",
                                             "..",
                                             "/",
                                             "\x01",
                                             "99999999999"};
    for (int round = 0; round < 400; ++round) {
        FakePlatform fake;
        Form_zelkon_cluster_controller form(fake.bundle());
        prepare_valid_settings(fake, form, "nodeA", "10");
        fake.files.add_file("/inv/demo/zelkon_cluster_000012.zcd", "");
        std::string log;
        int count = static_cast<int>(random() % 60);
        for (int i = 0; i < count; ++i) {
            log += pieces[random() % pieces.size()];
        }
        fake.processes.on_start = [&](const FakeProcessStarter::Started&) {
            fake.files.add_file("/inv/demo/zelkon_cluster_init_12.log", log);
        };
        form.Command_start_cluster_run_Click(1);
        bool started = form.Timer_cluster_task->enabled();
        EXPECT_TRUE(started || fake.dialogs.messages.size() == 1u) << log;
        if (started) {
            EXPECT_GE(form.tasks.num_tasks, 1);
            EXPECT_EQ(form.tasks.cluster_task[form.tasks.num_tasks].last_datum,
                      form.data.num_data);
        }
    }
}

}  // namespace
}  // namespace zelkon
