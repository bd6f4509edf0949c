#include <tuple>

#include "settings/settings_fixture.h"

namespace zelkon {
namespace {

using SettingsCheck = SettingsFixture;

TEST_F(SettingsCheck, ValidSettingsPassAndFillTheRunState) {
    form.controls.Text_jobID.text = " 12 ";
    form.controls.Text_work_folder.text = " \\Work\\ ";
    EXPECT_EQ(check(), 0);
    EXPECT_TRUE(fake.dialogs.messages.empty());
    const JobSettings& s = form.job;
    EXPECT_EQ(s.max_tasks, 10);
    EXPECT_EQ(s.task_target, 10);
    EXPECT_EQ(s.work_drive, "/data");
    EXPECT_EQ(s.work_folder, "\\Work\\");  // kept as typed, less blanks
    EXPECT_EQ(s.job_id, "12");
    EXPECT_EQ(s.job_folder, "Work/Job_12");
    EXPECT_TRUE(s.use_rpc);
    EXPECT_EQ(s.local_computer_name, "HOST");
}

std::string unpassable(const std::string& field) {
    return "The " + field +
           " holds a line break or another control character, which no command line can pass "
           "to the task servers";
}

// Each bad value on its own, among otherwise good settings.
TEST_F(SettingsCheck, BadValuesAreRefusedWithTheirMessage) {
    const std::string max_tasks = "The maximum number of tasks is not valid";
    const std::string overflow = "An error occured while checking the settings: Overflow";
    const std::string too_many = overflow + ": the server list gives more than 10000 task servers";
    FormControls& c = form.controls;
    struct Case {
        TextControl* control;
        std::vector<const char*> typed;
        std::string message;
    };
    const Case cases[] = {
        {&c.Text_max_tasks, {"", "x", "0", "-5", "1 2"}, max_tasks},
        {&c.Text_max_tasks, {"1e20"}, overflow},
        {&c.Text_work_folder, {"\\", "/", "  "}, "No work folder name has been specified"},
        {&c.Text_jobID, {"0", "1000000", "abc", "0.5", "-3"}, "The job ID is not valid"},
        {&c.Text_server, {"\r\n\r\n"}, "No server names have been specified"},
        {&c.Text_server, {"\r\nA", "/2\r\nA"}, "No server names have been decoded from the list"},
        {&c.Text_server, {"A/0\r\nB/0"}, "No Task Servers have been decoded from the list"},
        {&c.Text_server, {"A/1e20", "A/1/1e400"}, overflow},
        {&c.Text_server, {"A/2000000000", "A/2147483647\r\nA", "A/6000\r\nB/6000"}, too_many},
        {&c.Text_work_drive, {"/data\n"}, unpassable("work drive")},
        {&c.Text_work_folder, {"My\tWork", "Work\x7f"}, unpassable("work folder")},
        {&c.Text_network_share, {"/net/a\rb"}, unpassable("network share")},
        {&c.Text_jobID, {"7\n"}, unpassable("job ID")},
    };
    for (const Case& bad : cases) {
        std::string good = bad.control->text;
        for (const char* typed : bad.typed) {
            SCOPED_TRACE(typed);
            bad.control->text = typed;
            EXPECT_EQ(check(), -1);
            EXPECT_EQ(only_message(), bad.message);
        }
        bad.control->text = good;
    }
    form.controls.Dir1 = "/inv/a\nb";
    EXPECT_EQ(check(), -1);
    EXPECT_EQ(only_message(), unpassable("inversion folder"));
}

// Each check waits for the ones before it; a fractional maximum below one
// passes as one hundred.
TEST_F(SettingsCheck, RefusalsComeInTheirOrder) {
    struct Step {
        TextControl* control;
        const char* bad;
        const char* good;
        const char* message;
    };
    FormControls& c = form.controls;
    const Step steps[] = {
        {&c.Text_max_tasks, "0", "0.3", "The maximum number of tasks is not valid"},
        {&c.Text_work_drive, " ", "D", "No work drive has been specified"},
        {&c.Text_work_folder, "\\", "Work", "No work folder name has been specified"},
        {&c.Text_jobID, "", "7", "No job ID has been specified"},
        {&c.Text_server, "", "A", "No server names have been specified"},
    };
    for (const Step& step : steps) {
        step.control->text = step.bad;
    }
    for (const Step& step : steps) {
        EXPECT_EQ(check(), -1);
        EXPECT_EQ(only_message(), step.message);
        step.control->text = step.good;
    }
    // What passed before a refusal stays in the run state.
    EXPECT_EQ(form.job.max_tasks, 100);
    EXPECT_EQ(form.job.work_drive, "D");
    c.Check_use_RPC.value = 0;
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(form.job.task_target, 100);
    EXPECT_FALSE(form.job.use_rpc);
}

// The allocation's nodes take steps, not pipes; the list as typed is what
// the settings keep.
TEST_F(SettingsCheck, TheSlurmLineGivesNodesThatTakeNoListener) {
    fake.environment.variables = {
        {"SLURM_JOB_ID", "5"}, {"SLURM_JOB_NODELIST", "n[1-2]"}, {"SLURM_TASKS_PER_NODE", "3(x2)"}};
    form.controls.Text_server.text = "slurm";
    EXPECT_EQ(check(), -1);
    EXPECT_EQ(only_message(),
              "The Slurm allocation's nodes take their tasks as job steps, not "
              "through the listener: clear Use RPC");
    form.controls.Check_use_RPC.value = 0;
    ASSERT_EQ(check(), 0);
    EXPECT_EQ(form.controls.Text_server.text, "slurm");
    expect_consistent_tables(form.state);
    ASSERT_EQ(form.state.num_servers(), 2);
    EXPECT_TRUE(form.state.machines[2].slurm);
    EXPECT_EQ(form.state.task_servers[6].name, "n2");
}

// How the typed work place becomes the job's folder here and, under the net
// root and the computer's name, on other machines.
TEST_F(SettingsCheck, TheWorkPlaceGivesTheJobPaths) {
    FormControls& c = form.controls;
    const std::tuple<TextControl*, const char*, std::string> cases[] = {
        {&c.Text_work_folder, "\\Work\\", "/data/Work/Job_12/"},
        {&c.Text_work_folder, "/Work/", "/data/Work/Job_12/"},
        {&c.Text_work_folder, "\\temp\\inv_temp", "/data/temp/inv_temp/Job_12/"},
        {&c.Text_work_drive, "D", "/mnt/d/Work/Job_12/"},
        {&c.Text_work_drive, "e:\\", "/mnt/e/Work/Job_12/"},
        {&c.Text_work_drive, "/scratch/", "/scratch/Work/Job_12/"},
        {&c.Text_work_drive, "data", "/data/Work/Job_12/"},
        {&c.Text_work_drive, "/", "/Work/Job_12/"},
        {&c.Text_jobID, "1", "/data/Work/Job_1/"},
        {&c.Text_jobID, "999999", "/data/Work/Job_999999/"},
        {&c.Text_jobID, "000012", "/data/Work/Job_000012/"},
    };
    for (const auto& [control, typed, local] : cases) {
        SCOPED_TRACE(typed);
        std::string good = control->text;
        control->text = typed;
        EXPECT_EQ(check(), 0);
        EXPECT_EQ(form.job.local_work_path, local);
        EXPECT_EQ(form.job.network_work_path, "/net/HOST" + local);
        control->text = good;
    }
    fake.environment.variables["ZELKON_NET_ROOT"] = "/tmp/links/";
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(form.job.network_work_path, "/tmp/links/HOST/data/Work/Job_12/");
    c.Text_network_share.text = " /mnt/ctl ";
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(form.job.network_work_path, "/mnt/ctl/Job_12/");
    EXPECT_EQ(form.job.local_work_path, "/data/Work/Job_12/");
}

// Each machine as name/count/threads@first task server.
std::string machines_of(const ServerTable& s) {
    std::string text;
    for (const Machine& m : s.machines) {
        text += (text.empty() ? "" : " ") + m.name + "/" + std::to_string(m.count) + "/" +
                std::to_string(m.threads) + "@" + std::to_string(m.first_task_server);
    }
    return text;
}

TEST_F(SettingsCheck, ServerTablesAreRebuiltFromTheListAndARepeatRewritesIt) {
    form.controls.Text_server.text = "A/2/4\r\nB\r\na/3";
    ASSERT_EQ(check(), 0);
    const ServerTable& s = form.servers;
    EXPECT_EQ(machines_of(s), "A/3/4@1 B/1/0@4");
    EXPECT_EQ(s.num_task_servers(), 4);
    expect_consistent_tables(s);
    EXPECT_EQ(form.controls.Text_server.text, "A/3/4\r\nB/1/0");

    // A second check starts the tables again; a count of 0 keeps its machine's
    // place, and a list without repeats stays as typed.
    form.servers.task_servers[1].busy = true;
    form.servers.machines[1].is_local = true;
    form.controls.Text_server.text = "A/0\r\nB/2\r\n\r\n";
    ASSERT_EQ(check(), 0);
    EXPECT_EQ(machines_of(s), "A/0/0@1 B/2/0@1");
    EXPECT_EQ(s.num_task_servers(), 2);
    expect_consistent_tables(s);
    EXPECT_FALSE(s.machines[1].is_local);
    EXPECT_EQ(form.controls.Text_server.text, "A/0\r\nB/2\r\n\r\n");
}

}  // namespace
}  // namespace zelkon
