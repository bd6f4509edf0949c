// Whole cluster runs on this computer, nodeA and nodeB.
#include "whole_run.h"

namespace zelkon {
namespace {

const auto kBothWays = ::testing::Values(StartWay::ssh, StartWay::listener);
INSTANTIATE_TEST_SUITE_P(Start, WholeRun, kBothWays, way_name);

// Folder names that a shell would split, quote or expand.
class OddFolderRun : public WholeRun {
  protected:
    OddFolderRun() {
        work_folder = "My Work's $HOME \"q\"";
        inversion_name = "Inversion 'x' $y";
    }
};
INSTANTIATE_TEST_SUITE_P(Start, OddFolderRun, kBothWays, way_name);

// One login per machine, no ssh outliving the controller; through listeners
// every task goes through its host's listener, the assembly never.
TEST_P(OddFolderRun, ThreeMachinesGiveTheMatrixOfOneTask) {
    settings(25);
    int logins = sshd->logins();
    expect_a_whole_run(run(), 25);
    if (!use_rpc()) {
        EXPECT_EQ(sshd->logins() - logins, 2) << "one login per machine";
    }
    for (int t = 1; t <= 25; ++t) {
        EXPECT_EQ(servers_that_started(t).size(), 1u) << t;
        EXPECT_EQ(count_events("Cluster assembly " + std::to_string(t) + " finished"), 1) << t;
    }
    for (const std::string& machine :
         {this_computer() + "/", std::string("nodeA/"), std::string("nodeB/")}) {
        auto starts = task_starts();
        EXPECT_TRUE(std::any_of(starts.begin(), starts.end(),
                                [&](const auto& s) { return s.second.starts_with(machine); }))
            << machine << " ran no task";
    }
    EXPECT_FALSE(contains(process_log(), "Restart")) << process_log();
    EXPECT_TRUE(
        eventually([this] { return !any_process_mentions(runtime("here") + "/zelkon-ssh"); },
                   std::chrono::seconds(30)))
        << "an ssh of the controller outlived it";
    std::string record = info();
    EXPECT_TRUE(contains(record, std::string("Use RPC: ") + (use_rpc() ? "Yes" : "No") + "\r\n"));
    EXPECT_TRUE(contains(record, "Total Task Servers: 8\r\n")) << record;
    EXPECT_TRUE(contains(record, "Kill MTXfile 2: " + inversion() + "/parvex_gx.mtx\r\n"))
        << record;
    for (const auto& [host, listener] : listeners) {
        EXPECT_TRUE(contains(listener->log_text(), "zelkon_cluster_task")) << host;
        EXPECT_FALSE(contains(listener->log_text(), ": zelkon_cluster_assemble ")) << host;
    }
}

// Tasks 3 and 6 run first on nodeA/0 and nodeB/0. The hung task's server is
// taken out and the task runs elsewhere; the crashed one runs again, its
// server kept; the assembly dies at task 12 (before or after logging it) and
// is started again from it.
TEST_P(WholeRun, AHungTaskACrashedTaskAndAKilledAssemblyAreRunAgain) {
    int hung = use_rpc() ? 6 : 3;
    int crashed = use_rpc() ? 3 : 6;
    task_faults("ZELKON_TASK_HANG=" + std::to_string(hung) +
                "\nZELKON_TASK_CRASH=" + std::to_string(crashed));
    settings(40);
    expect_a_whole_run(
        run(use_rpc() ? "ZELKON_ASSEMBLE_CRASH=12:logged" : "ZELKON_ASSEMBLE_CRASH=12"), 40);
    EXPECT_EQ(servers_that_started(3).at(0), "nodeA/0");
    EXPECT_EQ(servers_that_started(6).at(0), "nodeB/0");
    std::vector<std::string> servers = servers_that_started(hung);
    ASSERT_EQ(servers.size(), 2u) << process_log();
    EXPECT_NE(servers[0], servers[1]);
    EXPECT_EQ(count_events("Server taken out of service, task " + std::to_string(hung) +
                           " gave no result in time: " + servers[0]),
              1)
        << process_log();
    auto starts = task_starts();
    EXPECT_EQ(std::count_if(starts.begin(), starts.end(),
                            [&](const auto& s) { return s.second == servers[0]; }),
              1)
        << servers[0] << " was given another task";
    servers = servers_that_started(crashed);
    ASSERT_EQ(servers.size(), 2u) << process_log();
    EXPECT_EQ(count_events("Task " + std::to_string(crashed) + " failed on server " + servers[0] +
                           ": exited with status 70"),
              1)
        << process_log();
    EXPECT_FALSE(contains(process_log(), "failed twice in a row: " + servers[0]));
    for (int task : {hung, crashed}) {
        EXPECT_TRUE(contains(process_log(), " Job " + std::to_string(task) +
                                                " complete on server " +
                                                servers_that_started(task)[1] + " "))
            << process_log();
    }
    EXPECT_EQ(count_events(std::string("Cluster assembly 12 ended without merging it, exit code ") +
                           (use_rpc() ? "72" : "71")),
              1)
        << process_log();
    EXPECT_TRUE(std::regex_search(process_log(),
                                  std::regex("\\d\\d:\\d\\d:\\d\\d Restart cluster assembly 12 ")))
        << process_log();
}

// nodeDown refuses connections: over ssh the set-up ends with ssh's reason;
// through listeners the run goes on without it, and when nodeB's listener
// dies mid-run its starts fail and the other machines finish the job.
TEST_P(WholeRun, AMachineDownAtTheSetUpOrALostListener) {
    task_faults("ZELKON_TASK_MIN_SECONDS=1");
    settings(40, "\r\nnodeDown/1");
    start();
    if (!use_rpc()) {
        ProgramRun refused = finish();
        EXPECT_EQ(refused.code, 1);
        EXPECT_TRUE(contains(refused.err, "Connection refused")) << refused.err;
        EXPECT_TRUE(task_starts().empty());
        return;
    }
    ASSERT_TRUE(eventually([this] {
        return contains(listeners["nodeB"]->log_text(), "zelkon_cluster_task");
    })) << "nodeB started no task";
    listeners["nodeB"]->end(SIGKILL);
    ProgramRun done = finish();
    expect_a_whole_run(done, 40);
    EXPECT_TRUE(contains(done.err,
                         "Task servers not opened or failing the connection test: "
                         "nodeDown/0/0\n"))
        << done.err;
    for (const auto& start : task_starts()) {
        EXPECT_NE(start.second, "nodeDown/0");
    }
    for (const char* server : {"nodeB/0", "nodeB/1", "nodeB/2"}) {
        EXPECT_GE(count_events(std::string("Server failed to start task: ") + server), 1)
            << process_log();
    }
}

// TERM part way stops the run after its clean-up; the command it prints keeps
// the matrix (headless answers Yes) and computes only the tasks after the last
// assembled one; a start after that finds the matrix whole.
class StoppedRun : public WholeRun {};
INSTANTIATE_TEST_SUITE_P(Start, StoppedRun, ::testing::Values(StartWay::ssh), way_name);

TEST_P(StoppedRun, ARunStoppedByTermIsFinishedByThePrintedCommand) {
    task_faults("ZELKON_TASK_MIN_SECONDS=1");
    settings(40);
    start();
    ASSERT_TRUE(some_task_assembled()) << process_log();
    signal_controller(SIGTERM);
    ProgramRun stopped = finish();
    std::vector<std::string> kept = data_lines(assembly_log());
    ASSERT_LT(kept.size(), 40u) << "the run had ended when the signal came";
    EXPECT_EQ(stopped.code, 1);
    EXPECT_TRUE(contains(stopped.err, "Run has been terminated.")) << stopped.err;
    std::string printed = "zelkon-cluster-controller --headless --job 7 " + inversion() + "/";
    EXPECT_TRUE(stopped.out.ends_with("/parvex_gx.mtx\nTo continue this run: " + printed + "\n"))
        << stopped.out;
    EXPECT_TRUE(contains(stopped.err, "\nTo continue this run: " + printed + "\n")) << stopped.err;
    EXPECT_TRUE(contains(stopped.out, "\n\nZelkon Cluster finished at ")) << stopped.out;
    EXPECT_EQ(events().back(), "Zelkon Cluster ended");
    expect_the_committed_part_of_the_matrix();
    eventually([this] { return !any_process_mentions(job_folder()); });

    task_faults("");
    ProgramRun second = run("", printed.substr(printed.find("--job")));
    EXPECT_TRUE(contains(second.err, "Use the existing mtx file? [Yes]\n")) << second.err;
    expect_a_whole_run(second, 40);
    std::vector<std::string> lines = data_lines(assembly_log());
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), lines.begin()));
    EXPECT_FALSE(std::filesystem::exists(inversion() + "/zelkon_cluster_7_assembly.dat.1"));
    for (int t = 1; t <= 40; ++t) {
        EXPECT_EQ(servers_that_started(t).size(), t > static_cast<int>(kept.size()) ? 1u : 0u);
    }

    ProgramRun third = run();
    EXPECT_EQ(third.code, 1);
    EXPECT_TRUE(contains(third.err, "The mtx file has already been generated correctly"));
    EXPECT_EQ(data_lines(assembly_log()), lines);
    expect_sizes_committed(lines.back());
}

// Test Cluster Setup: one login per machine, each machine's job folder in the
// record, the settings stored, the job folder gone afterwards.
TEST_P(WholeRun, TestClusterSetupFindsThisComputerAndTwoMachinesCorrect) {
    settings(10);
    int logins = sshd->logins();
    ProgramRun done = run("", "--test-setup --settings " + shell_quoted(temp.file("job.inp")) +
                                  " " + shell_quoted(inversion()));
    EXPECT_EQ(done.code, 0) << done.out << done.err;
    EXPECT_TRUE(contains(done.err, "Setup appears to be correct\n")) << done.err;
    EXPECT_EQ(sshd->logins() - logins, 2) << "one login per machine";
    std::string record = info();
    EXPECT_TRUE(contains(record, "Total Task Servers: 8")) << record;
    EXPECT_TRUE(contains(record, "Server 1: " + this_computer() + " Work Path: " + job_folder()))
        << record;
    for (const std::string host : {"nodeA", "nodeB"}) {
        EXPECT_TRUE(contains(
            record, ": " + host + " Work Path: " + temp.file("net/" + host) + job_folder()))
            << record;
    }
    EXPECT_TRUE(std::filesystem::exists(inversion() + "/Zelkon_job_000007.sem"));
    EXPECT_FALSE(std::filesystem::exists(job_folder()));
    if (use_rpc()) {
        EXPECT_TRUE(contains(record, "RPC pipe 8 opened")) << record;
        EXPECT_TRUE(contains(listeners["nodeB"]->log_text(),
                             "dir " + temp.file("net/" + this_computer()) + job_folder()));
    }
}

}  // namespace
}  // namespace zelkon
