#include <exception>

#include "form/Form_zelkon_cluster_controller.h"
#include "model/Module_zelkon_cluster.h"
#include "platform/error.h"

namespace zelkon {
namespace {

// The value a store returns for a key that is not there.
const char* const kNoValue = "<no value>";

// The folder named by a command line: the text between a leading double
// quote and the next one, or the whole line when it does not start with one.
std::string folder_of_command_line(const std::string& command_line) {
    if (command_line.empty() || command_line[0] != '"') {
        return command_line;
    }
    std::size_t closing = command_line.find('"', 1);
    if (closing == std::string::npos) {
        throw ZelkonError(kErrorInvalidProcedureCall,
                          "Invalid procedure call or argument: the folder's closing quote is "
                          "missing");
    }
    return command_line.substr(1, closing - 1);
}

}  // namespace

Form_zelkon_cluster_controller::Form_zelkon_cluster_controller(Platform platform_bundle)
    : platform(platform_bundle), Timer_cluster_task(platform.timers.create_timer()) {
    Timer_cluster_task->set_handler([this] { Timer_cluster_task_Timer(); });
}

Form_zelkon_cluster_controller::~Form_zelkon_cluster_controller() = default;

AutomaticStart Form_zelkon_cluster_controller::Form_Load(const std::string& command_line,
                                                         const std::string& settings_file_name) {
    try {
        run.run_terminated = true;
        run.timer_stage = 0;
        controls.caption =
            "Zelkon Cluster Controller on " + get_computer_name(platform.computer_name);
        channels.num_pipes = 0;
        run.exit_when_finished = 0;
        bool all_found = true;
        restore_stored_settings(all_found);
        bool settings_read = true;
        if (!settings_file_name.empty()) {
            std::int32_t ierr = 0;
            settings_file.read_cluster_settings(settings_file_name, ierr);
            settings_read = ierr == 0;
            all_found = settings_read;
        }
        if (job_id_given > 0) {
            controls.Text_jobID.text = format_number(job_id_given, "000000");
        }
        if (command_line.empty()) {
            return AutomaticStart::not_asked;
        }
        if (!settings_read) {
            return AutomaticStart::settings_unread;
        }
        if (!all_found) {
            return AutomaticStart::settings_missing;
        }
        return start_from_command_line(command_line);
    } catch (const std::exception& error) {
        platform.dialogs.warning("An error occurred while starting the program: " +
                                 error_description(error));
        return AutomaticStart::failed;
    }
}

void Form_zelkon_cluster_controller::restore_stored_settings(bool& all_found) {
    auto read = [this](const char* key) { return platform.settings.get(key, kNoValue); };
    auto present = [](const std::string& value) { return value != kNoValue; };

    std::string value = read("ServerList");
    all_found = all_found && present(value);
    if (present(value)) {
        controls.Text_server.text = value;
    }
    value = read("WorkDrive");
    all_found = all_found && present(value);
    if (present(value)) {
        controls.Text_work_drive.text = value;
    }
    value = read("WorkFolder");
    all_found = all_found && present(value);
    if (present(value)) {
        controls.Text_work_folder.text = value;
    }
    value = read("JobID");
    if (present(value) && is_numeric(value)) {
        run.next_job_id = whole_number(number_of(value) + 1);
        if (run.next_job_id < 0) {
            run.next_job_id = 1;
        }
        controls.Text_jobID.text = format_number(run.next_job_id, "000000");
    }
    value = read("LocalPath");
    if (present(value) && platform.files.folder_exists(value)) {
        folder_selection.set_inversion_folder(value);
    }
    value = read("MaxTasks");
    if (present(value) && is_numeric(value)) {
        job.task_target = whole_number_of(value);
        if (job.task_target < 1) {
            job.task_target = 100;
        }
        controls.Text_max_tasks.text = format_number(job.task_target, "0");
    }
    value = read("UseRPC");
    if (present(value)) {
        controls.Check_use_RPC.value = value == "Yes" ? 1 : 0;
    }
    value = read("NetworkShare");
    if (present(value)) {
        controls.Text_network_share.text = value;
    }
}

AutomaticStart Form_zelkon_cluster_controller::start_from_command_line(
    const std::string& command_line) {
    std::string folder = folder_of_command_line(command_line);
    if (!platform.files.folder_exists(folder)) {
        return AutomaticStart::folder_missing;
    }
    folder_selection.set_inversion_folder(folder);
    if (hooks.on_show) {
        hooks.on_show();
    }
    Command_start_cluster_run_Click(automatic_start_index);
    run.exit_when_finished = 1;
    return AutomaticStart::started;
}

void Form_zelkon_cluster_controller::Command_done_Click() {
    if (hooks.on_exit_requested) {
        hooks.on_exit_requested(0);
    }
}

}  // namespace zelkon
