#include <tuple>

#include "settings/settings_fixture.h"

namespace zelkon {
namespace {

using SettingsCheckTest = SettingsFixture;

std::string unpassable(const std::string& field) {
    return "The " + field +
           " holds a line break or another control character, which no command line can pass "
           "to the task servers";
}

// Each bad value on its own, among otherwise good settings.
TEST_F(SettingsCheckTest, BadValuesAreRefusedWithTheirMessage) {
    const std::string max_tasks = "The maximum number of tasks is not valid";
    const std::string overflow = "An error occured while checking the settings: Overflow";
    const std::string too_many = overflow + ": the server list gives more than 10000 task servers";
    FormControls& c = controls;
    const std::tuple<TextControl*, std::vector<const char*>, std::string> cases[] = {
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
    for (const auto& [control, typed, message] : cases) {
        std::string good = control->text;
        for (const char* bad : typed) {
            SCOPED_TRACE(bad);
            control->text = bad;
            EXPECT_EQ(check(), -1);
            EXPECT_EQ(only_message(), message);
        }
        control->text = good;
    }
    controls.Dir1 = "/inv/a\nb";
    EXPECT_EQ(check(), -1);
    EXPECT_EQ(only_message(), unpassable("inversion folder"));
}

// Each check waits for the ones before it; a fractional maximum below one passes as 100.
TEST_F(SettingsCheckTest, RefusalsComeInTheirOrder) {
    FormControls& c = controls;
    const std::tuple<TextControl*, const char*, const char*, const char*> steps[] = {
        {&c.Text_max_tasks, "0", "0.3", "The maximum number of tasks is not valid"},
        {&c.Text_work_drive, " ", "D", "No work drive has been specified"},
        {&c.Text_work_folder, "\\", " \\Work\\ ", "No work folder name has been specified"},
        {&c.Text_jobID, "", " 7 ", "No job ID has been specified"},
        {&c.Text_server, "", "A", "No server names have been specified"},
    };
    for (const auto& [control, bad, good, message] : steps) {
        control->text = bad;
    }
    for (const auto& [control, bad, good, message] : steps) {
        EXPECT_EQ(check(), -1);
        EXPECT_EQ(only_message(), message);
        control->text = good;
    }
    EXPECT_EQ(std::tuple(job.max_tasks, job.work_drive), std::tuple(100, "D"));
    c.Check_use_RPC.value = 0;
    EXPECT_EQ(check(), 0);
    // The work folder is kept as typed, less blanks.
    EXPECT_EQ(std::tuple(job.task_target, job.work_folder, job.job_folder, job.job_id, job.use_rpc,
                         job.local_computer_name),
              std::tuple(100, "\\Work\\", "Work/Job_7", "7", false, "HOST"));
}

// The typed work place gives the job's folder here and, under the net root, elsewhere.
TEST_F(SettingsCheckTest, TheWorkPlaceGivesTheJobPaths) {
    FormControls& c = controls;
    const std::tuple<TextControl*, const char*, std::string> cases[] = {
        {&c.Text_work_folder, "\\temp\\inv_temp", "/data/temp/inv_temp/Job_12/"},
        {&c.Text_work_drive, "e:\\", "/mnt/e/Work/Job_12/"},
        {&c.Text_work_drive, "/scratch/", "/scratch/Work/Job_12/"},
        {&c.Text_work_drive, "data", "/data/Work/Job_12/"},
        {&c.Text_work_drive, "/", "/Work/Job_12/"},
        {&c.Text_jobID, "000012", "/data/Work/Job_000012/"},
    };
    for (const auto& [control, typed, local] : cases) {
        SCOPED_TRACE(typed);
        std::string good = control->text;
        control->text = typed;
        EXPECT_EQ(check(), 0);
        EXPECT_EQ(job.local_work_path, local);
        EXPECT_EQ(job.network_work_path, "/net/HOST" + local);
        control->text = good;
    }
    fake.environment.variables["ZELKON_NET_ROOT"] = "/tmp/links/";
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(job.network_work_path, "/tmp/links/HOST/data/Work/Job_12/");
    c.Text_network_share.text = " /mnt/ctl ";
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(job.network_work_path, "/mnt/ctl/Job_12/");
    EXPECT_EQ(job.local_work_path, "/data/Work/Job_12/");
}

// Machines as name/count/threads@first server, then task servers as machine.instance/threads.
std::string tables_of(const ServerTable& s) {
    std::string text;
    for (const Machine& m : s.machines) {
        text += m.name + "/" + std::to_string(m.count) + "/" + std::to_string(m.threads) + "@" +
                std::to_string(m.first_task_server) + (m.slurm ? "* " : " ");
    }
    for (const TaskServer& t : s.task_servers) {
        text += " " + t.name + std::to_string(t.machine) + "." + std::to_string(t.instance) + "/" +
                std::to_string(t.threads) + (t.busy ? "!" : "");
    }
    return text;
}

// A repeat is merged into the list; a second check rebuilds; a count of 0 keeps its place.
TEST_F(SettingsCheckTest, ServerTablesAreRebuiltFromTheList) {
    controls.Text_server.text = "A/2/4\r\nB\r\na/3";
    ASSERT_EQ(check(), 0);
    EXPECT_EQ(tables_of(servers), "A/3/4@1 B/1/0@4  A1.0/4 A1.1/4 A1.2/4 B2.0/0");
    EXPECT_EQ(controls.Text_server.text, "A/3/4\r\nB/1/0");

    servers.task_servers[1].busy = true;
    servers.machines[1].is_local = true;
    controls.Text_server.text = "A/0\r\nB/2\r\n\r\n";
    ASSERT_EQ(check(), 0);
    EXPECT_EQ(tables_of(servers), "A/0/0@1 B/2/0@1  B2.0/0 B2.1/0");
    EXPECT_FALSE(servers.machines[1].is_local);
    EXPECT_EQ(controls.Text_server.text, "A/0\r\nB/2\r\n\r\n");
}

// The allocation's nodes take steps, not pipes; the settings keep the list as typed.
TEST_F(SettingsCheckTest, TheSlurmLineGivesNodesThatTakeNoListener) {
    fake.environment.variables = {
        {"SLURM_JOB_ID", "5"}, {"SLURM_JOB_NODELIST", "n[1-2]"}, {"SLURM_TASKS_PER_NODE", "3(x2)"}};
    controls.Text_server.text = "slurm";
    EXPECT_EQ(check(), -1);
    EXPECT_EQ(only_message(),
              "The Slurm allocation's nodes take their tasks as job steps, not "
              "through the listener: clear Use RPC");
    controls.Check_use_RPC.value = 0;
    ASSERT_EQ(check(), 0);
    EXPECT_EQ(controls.Text_server.text, "slurm");
    EXPECT_EQ(tables_of(servers),
              "n1/3/0@1* n2/3/0@4*  n11.0/0 n11.1/0 n11.2/0 n22.0/0 n22.1/0 n22.2/0");
}

}  // namespace
}  // namespace zelkon
