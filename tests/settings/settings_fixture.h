#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "form/Form_zelkon_cluster_controller.h"
#include "platform/fake/fake_platform.h"

namespace zelkon {

// A settings file as Save setup writes it, with the given values.
inline std::string settings_file(const std::string& job, const std::string& max_tasks,
                                 const std::string& use_rpc, const std::string& servers) {
    return "Nimbal_Controller settings V1.0\r\n\r\nJob ID\r\n" + job +
           "\r\n\r\nWork Drive\r\nD\r\n\r\nWork Folder\r\n\\Work\\\r\n\r\nLocal Path\r\n"
           "/home/u/inv/\r\n\r\nFolder Share Name\r\n/mnt/ctl\r\n\r\nMax Tasks\r\n" +
           max_tasks + "\r\n\r\nUse RPC\r\n" + use_rpc + "\r\n\r\nServerList\r\n" + servers;
}

// The controls a read may fill, to compare them whole.
inline std::string inputs_of(const FormControls& c) {
    return c.Text_jobID.text + "|" + c.Text_work_drive.text + "|" + c.Text_work_folder.text + "|" +
           c.Text_network_share.text + "|" + c.Text_max_tasks.text + "|" +
           std::to_string(c.Check_use_RPC.value) + "|" + c.Text_server.text + "|" + c.Dir1;
}

// The tables a passed check leaves must hang together: each machine's task
// servers follow one another, numbered from its first.
inline void expect_consistent_tables(const ServerTable& s) {
    ASSERT_GE(s.num_servers(), 1);
    std::int32_t next = 1;
    for (std::int32_t i = 1; i <= s.num_servers(); ++i) {
        const Machine& machine = s.machines[i];
        EXPECT_FALSE(machine.name.empty());
        EXPECT_GE(machine.threads, 0);
        EXPECT_EQ(machine.first_task_server, next);
        for (std::int32_t k = 0; k < machine.count; ++k) {
            const TaskServer& server = s.task_servers[next + k];
            EXPECT_EQ(server.machine, i);
            EXPECT_EQ(server.instance, k);
            EXPECT_EQ(server.name, machine.name);
            EXPECT_EQ(server.threads, machine.threads);
            EXPECT_FALSE(server.busy);
        }
        next += machine.count;
    }
    EXPECT_EQ(s.num_task_servers(), next - 1);
}

// A form on fakes whose controls hold settings that pass the check.
class SettingsFixture : public ::testing::Test {
  protected:
    SettingsFixture() {
        fake.computer_name.name = "HOST";
        fake.files.add_folder("/cfg");
        form.controls.Text_max_tasks.text = "10";
        form.controls.Text_work_drive.text = "/data";
        form.controls.Text_work_folder.text = "Work";
        form.controls.Text_jobID.text = "12";
        form.controls.Text_network_share.text = "";
        form.controls.Text_server.text = "A/2/4\r\nB";
        form.controls.Check_use_RPC.value = 1;
    }

    // Runs the settings check and returns its ierr.
    std::int32_t check() {
        std::int32_t ierr = 99;
        form.settings_check.check_cluster_settings(ierr);
        return ierr;
    }

    // The only message shown since the last call; fails the test when there is
    // not exactly one.
    std::string only_message() {
        EXPECT_EQ(fake.dialogs.messages.size(), 1u);
        std::string last = fake.dialogs.messages.empty() ? "" : fake.dialogs.messages.back();
        fake.dialogs.messages.clear();
        return last;
    }

    FakePlatform fake;
    Form_zelkon_cluster_controller form{fake.bundle()};
};

}  // namespace zelkon
