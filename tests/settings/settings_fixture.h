#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "run_bench.h"
#include "settings/folder_selection.h"
#include "settings/settings_check.h"
#include "settings/settings_file.h"

namespace zelkon {

// A settings file as Save setup writes it, with the given values.
inline std::string settings_text(const std::string& job, const std::string& max_tasks,
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

// The settings classes over a bench's records, with settings that pass the check.
class SettingsFixture : public ::testing::Test, public RunBench {
  protected:
    SettingsFixture() {
        fake.computer_name.name = "HOST";
        fake.files.add_folder("/cfg");
        controls.Text_max_tasks.text = "10";
        controls.Text_work_drive.text = "/data";
        controls.Text_work_folder.text = "Work";
        controls.Text_jobID.text = "12";
        controls.Text_server.text = "A/2/4\r\nB";
        controls.Check_use_RPC.value = 1;
    }

    // Runs the settings check and returns its ierr.
    std::int32_t check() {
        std::int32_t ierr = 99;
        settings_check.check_cluster_settings(ierr);
        return ierr;
    }

    // The only message shown since the last call; fails unless there is exactly one.
    std::string only_message() {
        EXPECT_EQ(fake.dialogs.messages.size(), 1u);
        std::string last = fake.dialogs.messages.empty() ? "" : fake.dialogs.messages.back();
        fake.dialogs.messages.clear();
        return last;
    }

    SettingsCheck settings_check{controls,        job, servers, fake.dialogs, fake.computer_name,
                                 fake.environment};
    SettingsFile settings_file{controls,   job,          settings_check,
                               fake.files, fake.dialogs, fake.current_directory};
    FolderSelection folder_selection{controls, fake.files, fake.dialogs, fake.environment,
                                     fake.current_directory};
};

}  // namespace zelkon
