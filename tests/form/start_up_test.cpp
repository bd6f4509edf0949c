#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "form/Form_zelkon_cluster_controller.h"
#include "platform/fake/fake_platform.h"

namespace zelkon {
namespace {

using Stored = std::map<std::string, std::string>;
const Stored kRequired = {
    {"ServerList", "nodeA/2\r\nnodeB"}, {"WorkDrive", "/scratch"}, {"WorkFolder", "Work"}};

// The settings a start-up shows: job|max tasks (target)|use RPC|share|folder|servers.
std::string shown(const Form_zelkon_cluster_controller& form) {
    const FormControls& c = form.controls;
    return c.Text_jobID.text + "|" + c.Text_max_tasks.text + " (" +
           std::to_string(form.job.task_target) + ")|" + std::to_string(c.Check_use_RPC.value) +
           "|" + c.Text_network_share.text + "|" + c.Dir1 + "|" + c.Text_work_drive.text + "/" +
           c.Text_work_folder.text + "|" + c.Text_server.text;
}

// Stored values that read as theirs are restored, the next job proposed, a figure below one
// raised; an unstored Use RPC leaves the box as it was.
TEST(StartUp, RestoresTheStoredSettingsAndProposesTheNextJob) {
    const std::tuple<Stored, std::string, std::string> cases[] = {
        {{}, "000001| (0)|1|||//temp/inv_temp|node1\r\nnode2", ""},
        {{{"JobID", "41"},
          {"MaxTasks", "250"},
          {"UseRPC", "Yes"},
          {"NetworkShare", "/mnt/ctl"},
          {"LocalPath", "/inv/demo/"}},
         "000042|250 (250)|1|/mnt/ctl|/inv/demo|/scratch/Work|nodeA/2\r\nnodeB",
         ""},
        {{{"JobID", "forty"}, {"MaxTasks", "12x"}, {"UseRPC", "yes"}, {"LocalPath", "/gone"}},
         "000001| (0)|0|||/scratch/Work|nodeA/2\r\nnodeB",
         ""},
        {{{"JobID", "-7"}, {"MaxTasks", "0"}},
         "000001|100 (100)|1|||/scratch/Work|nodeA/2\r\nnodeB",
         ""},
        {{{"JobID", "1e12"}, {"MaxTasks", "7"}},
         "000001| (0)|1|||/scratch/Work|nodeA/2\r\nnodeB",
         "An error occurred while starting the program: Overflow"},
    };
    for (const auto& [stored, expected, message] : cases) {
        FakePlatform fake;
        fake.files.add_folder("/inv/demo");
        fake.settings.values = stored;
        if (!stored.empty()) {
            fake.settings.values.insert(kRequired.begin(), kRequired.end());
        }
        Form_zelkon_cluster_controller form{fake.bundle()};
        form.controls.Check_use_RPC.value = 1;
        AutomaticStart start = form.Form_Load("");
        EXPECT_EQ(shown(form), expected);
        EXPECT_EQ(start, message.empty() ? AutomaticStart::not_asked : AutomaticStart::failed);
        EXPECT_EQ(fake.dialogs.messages,
                  message.empty() ? std::vector<std::string>{} : std::vector<std::string>{message});
        EXPECT_TRUE(form.run.run_terminated);
    }
}

// A folder on the command line starts a run when every required key is stored; a quoted
// folder may be followed by more words, unquoted the whole line is the folder.
TEST(StartUp, AFolderOnTheCommandLineStartsARun) {
    const std::tuple<std::string, const char*, AutomaticStart, const char*> cases[] = {
        {"", "\"/inv/my demo\" --more words", AutomaticStart::started, "/inv/my demo"},
        {"", "/inv/my demo", AutomaticStart::started, "/inv/my demo"},
        {"", "\"/inv/my demo", AutomaticStart::failed, ""},
        {"ServerList", "/inv/my demo", AutomaticStart::settings_missing, ""},
        {"WorkDrive", "/inv/my demo", AutomaticStart::settings_missing, ""},
        {"WorkFolder", "/inv/my demo", AutomaticStart::settings_missing, ""},
    };
    for (const auto& [missing, command_line, start, folder] : cases) {
        SCOPED_TRACE(command_line);
        FakePlatform fake;
        fake.files.add_folder("/inv/my demo");
        fake.settings.values = kRequired;
        fake.settings.values.erase(missing);
        Form_zelkon_cluster_controller form{fake.bundle()};
        bool shown_first = false;
        form.hooks.on_show = [&] { shown_first = true; };
        EXPECT_EQ(form.Form_Load(command_line), start);
        bool started = start == AutomaticStart::started;
        EXPECT_EQ(form.controls.Dir1, folder);
        EXPECT_EQ(shown_first, started);
        EXPECT_EQ(form.run.exit_when_finished, started ? 1 : 0);
        if (start == AutomaticStart::failed) {
            ASSERT_EQ(fake.dialogs.messages.size(), 1u);
            EXPECT_TRUE(fake.dialogs.messages[0].starts_with(
                "An error occurred while starting the program: Invalid procedure call or "
                "argument"));
        }
    }
}

}  // namespace
}  // namespace zelkon
