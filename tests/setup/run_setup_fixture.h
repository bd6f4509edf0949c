#pragma once

#include <gtest/gtest.h>

#include "form/Form_zelkon_cluster_controller.h"
#include "platform/error.h"
#include "platform/fake/fake_platform.h"

namespace zelkon {

// Settings that pass the check, with job 12 in /data/Work, and an inversion
// folder /inv/demo that holds zelkon.inp.
inline void prepare_valid_settings(FakePlatform& fake, Form_zelkon_cluster_controller& form,
                                   const std::string& servers, const std::string& max_tasks) {
    form.controls.Text_server.text = servers;
    form.controls.Text_work_drive.text = "/data";
    form.controls.Text_work_folder.text = "Work";
    form.controls.Text_jobID.text = "12";
    form.controls.Text_max_tasks.text = max_tasks;
    form.controls.Dir1 = "/inv/demo";
    fake.files.add_folder("/data");
    fake.files.add_file("/inv/demo/zelkon.inp", "");
}

// A form with valid settings for two machines, an inversion folder holding
// zelkon.inp, and an initialisation that writes the log lines a test sets.
class RunSetupTest : public ::testing::Test {
  protected:
    static constexpr const char* kInversion = "/inv/demo/";
    static constexpr const char* kInitLog = "/inv/demo/zelkon_cluster_init_12.log";
    static constexpr const char* kInfoFile = "/inv/demo/zelkon_cluster_init_12.info";
    static constexpr const char* kClusterFile = "zelkon_cluster_000012.zcd";

    void SetUp() override {
        prepare_valid_settings(fake, form, "nodeA/2\r\nnodeB", "100");
        form.hooks.on_run_ended = [this](RunOutcome outcome) { outcomes.push_back(outcome); };
        fake.processes.on_start = [this](const FakeProcessStarter::Started& process) {
            if (process.command_line.starts_with("zelkon zelkon.inp")) {
                write_init_outputs();
            } else if (process.command_line.starts_with("{ dir ")) {
                run_listing(process.command_line);
            }
        };
        fake.management.on_create = [this](const CreatedProcess& process) {
            run_listing(process.command_line);
        };
        // The other machines' work drives, as this computer reaches them.
        fake.files.add_folder("/net/nodeA/data");
        fake.files.add_folder("/net/nodeB/data");
        init_log = {"Zelkon cluster initialisation",
                    "Number of observed data: 1004",
                    "Number of x cells: 100 cells",
                    "Number of y cells: 100",
                    "Number of z cells: 50",
                    "Number of Components: 1",
                    "Data type, restart: 1",
                    "Data type: gz",
                    std::string("Cluster File: ") + kClusterFile};
    }

    void write_init_outputs() {
        std::string content;
        for (const auto& line : init_log) {
            content += line + "\r\n";
        }
        fake.files.add_file(kInitLog, content);
        if (write_cluster_file) {
            fake.files.add_file(std::string(kInversion) + kClusterFile, "cluster data");
        }
    }

    // What the connection test's listing command does on any machine: it
    // writes the listing into the controller's job folder, which the other
    // machines reach under /net/CONTROL1 (the same disk).
    void run_listing(const std::string& command) {
        if (!command.starts_with("{ dir ")) {
            return;
        }
        std::string listing = command.substr(command.rfind(' ') + 1);  // the last word
        const std::string net = "/net/CONTROL1/";
        if (listing.starts_with(net)) {
            listing.erase(0, net.size() - 1);
        }
        if (fake.files.folder_exists(listing.substr(0, listing.rfind('/')))) {
            fake.files.add_file(listing, "listing");
        }
    }

    void set_init_line(const std::string& key, const std::string& line) {
        for (auto& existing : init_log) {
            if (existing.starts_with(key)) {
                existing = line;
                return;
            }
        }
        init_log.push_back(line);
    }

    void start() { form.Command_start_cluster_run_Click(1); }
    void test_setup() { form.Command_start_cluster_run_Click(0); }

    std::string only_message() const {
        EXPECT_EQ(fake.dialogs.messages.size(), 1u);
        return fake.dialogs.messages.empty() ? "" : fake.dialogs.messages.back();
    }

    FakePlatform fake;
    Form_zelkon_cluster_controller form{fake.bundle()};
    std::vector<std::string> init_log;
    bool write_cluster_file = true;
    std::vector<RunOutcome> outcomes;  // what the host was told, once per run
};

}  // namespace zelkon
