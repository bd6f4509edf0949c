#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "fake_listener.h"
#include "run_bench.h"
#include "settings/settings_check.h"
#include "setup/server_grid.h"
#include "setup/server_setup.h"

namespace zelkon {

// nodeA/2 and nodeB, job 12 in /data/Work (made as stage 4 makes it); machines run the
// listing and reach this computer's folders under /net/CONTROL1.
class ServerSetupTest : public ::testing::Test, public RunBench {
  public:
    static constexpr const char* kListing = "/data/Work/Job_12/dir.lst";
    static constexpr const char* kInfo = "/inv/demo/zelkon_cluster_init_12.info";

    ServerSetupTest() {
        controls.Text_server.text = "nodeA/2\r\nnodeB";
        controls.Text_work_drive.text = "/data";
        controls.Text_work_folder.text = "Work";
        controls.Text_jobID.text = "12";
        controls.Text_max_tasks.text = "100";
        for (const char* folder : {"/data/Work/Job_12", "/net/nodeA/data", "/net/nodeB/data"}) {
            fake.files.add_folder(folder);
        }
        fake.files.add_file("/inv/demo/zelkon_cluster_000012.zcd", "cluster data");
        data.cluster_data_file = "zelkon_cluster_000012.zcd";
        fake.processes.on_start = [this](const auto& process) {
            run_listing(process.command_line);
        };
        fake.management.on_create = [this](const auto& process) {
            run_listing(process.command_line);
        };
    }

    void run_listing(const std::string& command) {
        std::string listing = listing_written_by(command);
        if (command.starts_with("{ dir ") &&
            fake.files.folder_exists(listing.substr(0, listing.rfind('/')))) {
            fake.files.add_file(listing, "listing");
        }
    }
    void use_rpc() { controls.Check_use_RPC.value = 1; }
    FakeListener& listen(const std::string& machine, int max_clients) {
        listeners.push_back(std::make_unique<FakeListener>(
            fake, machine, max_clients, [this](const std::string& c) { run_listing(c); }));
        return *listeners.back();
    }

    // Stages 6 to 26 after the settings check, the info file kept; throws what a stage throws.
    void run_stages() {
        std::int32_t ierr = 0;
        settings_check.check_cluster_settings(ierr);
        ASSERT_EQ(ierr, 0);
        job.local_path = kInversion;
        setup = SetupProgress{};
        setup.index = 0;
        setup.info_file = fake.files.open_writer(kInfo, false);
        server_setup.setup_display_grid();
        server_setup.update_number_of_pipes();
        server_setup.address_the_pipes();
        server_setup.set_up_machine_work_folders(setup);
        server_setup.reach_machines_ahead();
        server_setup.open_task_server_channels(setup);
        server_setup.test_server_connections(setup);
        setup.info_file.reset();
    }
    void TestBody() override {}
    // The grid's rows marked red, which must be the servers out of service.
    std::vector<std::string> red_rows() const {
        std::vector<std::string> red;
        const GridControl& grid = controls.Grid_server_stats;
        for (int row = 1; row < grid.rows(); ++row) {
            if (grid.cell(row, kGridEnabledColumn).back_color == kColorRed) {
                red.push_back(grid.cell(row, 0).text);
            }
        }
        EXPECT_EQ(red, unusable_task_servers(servers));
        return red;
    }
    std::string info() const { return fake.files.content(kInfo); }
    static int count_of(const std::string& text, const std::string& part) {
        int count = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
            ++count;
        }
        return count;
    }

    SetupProgress setup;
    std::vector<std::unique_ptr<FakeListener>> listeners;
    SettingsCheck settings_check{controls,        job, servers, fake.dialogs, fake.computer_name,
                                 fake.environment};
    ServerSetup server_setup{controls, job,      data,
                             servers,  channels, server_setup_services(fake.bundle(), host)};
};

}  // namespace zelkon
