#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "controller/Form_zelkon_cluster_controller.h"
#include "platform/fake/fake_platform.h"

namespace zelkon {

// A form on fakes whose controls hold settings that pass the check.
class SettingsFixture : public ::testing::Test {
  protected:
    SettingsFixture() {
        fake.computer_name.name = "HOST";
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
        form.check_cluster_settings(ierr);
        return ierr;
    }

    // The only message shown so far; fails the test when there is not exactly one.
    std::string only_message() const {
        EXPECT_EQ(fake.dialogs.messages.size(), 1u);
        return fake.dialogs.messages.empty() ? "" : fake.dialogs.messages.back();
    }

    FakePlatform fake;
    Form_zelkon_cluster_controller form{fake.bundle()};
};

}  // namespace zelkon
