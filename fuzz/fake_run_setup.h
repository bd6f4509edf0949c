#pragma once

#include <string>
#include <utility>

#include "form/Form_zelkon_cluster_controller.h"
#include "platform/fake/fake_platform.h"

namespace zelkon::fuzz {

// A form on fakes whose settings pass the check (job 12 on two machines, the
// inversion folder /inv/demo holding zelkon.inp), and whose initialisation
// writes the given init log and the cluster data file it names.
class FakeRunSetup {
  public:
    static constexpr const char* kFolder = "/inv/demo/";
    static constexpr const char* kInitLog = "/inv/demo/zelkon_cluster_init_12.log";
    static constexpr const char* kClusterFile = "/inv/demo/zelkon_cluster_12.zcd";
    static constexpr const char* kAssemblyLog = "/inv/demo/zelkon_cluster_12_assembly.dat";

    explicit FakeRunSetup(std::string init_log) : init_log_(std::move(init_log)) {
        form.controls.Text_server.text = "nodeA/2\r\nnodeB";
        form.controls.Text_work_drive.text = "/data";
        form.controls.Text_work_folder.text = "Work";
        form.controls.Text_jobID.text = "12";
        form.controls.Text_max_tasks.text = "100";
        form.controls.Dir1 = "/inv/demo";
        fake.files.add_folder("/data");
        fake.files.add_file("/inv/demo/zelkon.inp", "");
        fake.processes.on_start = [this](const FakeProcessStarter::Started& process) {
            if (process.command_line.starts_with("zelkon zelkon.inp")) {
                fake.files.add_file(kInitLog, init_log_);
                fake.files.add_file(kClusterFile, "cluster data");
            }
        };
    }

    FakePlatform fake;
    Form_zelkon_cluster_controller form{fake.bundle()};

  private:
    std::string init_log_;
};

}  // namespace zelkon::fuzz
