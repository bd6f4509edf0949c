#include "model/Module_zelkon_cluster.h"
#include "piperpc/utf16.h"
#include "platform/error.h"
#include "platform/shell_words.h"
#include "setup/listing_command.h"
#include "setup/num_pipes_reply.h"
#include "setup/server_setup.h"

namespace zelkon {
namespace {

constexpr int kReplyBytes = 256;
// A listing is looked for often, so that a machine that answers at once is
// not held up, for as long as the former 100 ms wait and 5 looks 100 ms apart.
constexpr int kListingWaitMs = 600;
constexpr int kListingLookIntervalMs = 10;
// A step takes longer to begin than a local process.
constexpr int kSlurmListingWaitMs = 6000;
// The status of a machine whose listing did not appear in time.
constexpr std::int32_t kListingMissing = 5;

// The test lets interface events run; a click on either start button then
// would begin a second set-up inside this one, so they are held disabled.
class StartButtonsHeld {
  public:
    explicit StartButtonsHeld(FormControls& controls)
        : buttons_(controls.Command_start_cluster_run) {
        for (int i = 0; i < 2; ++i) {
            was_enabled_[i] = buttons_[i].enabled;
            buttons_[i].enabled = false;
        }
    }
    ~StartButtonsHeld() {
        for (int i = 0; i < 2; ++i) {
            buttons_[i].enabled = was_enabled_[i];
        }
    }
    StartButtonsHeld(const StartButtonsHeld&) = delete;
    StartButtonsHeld& operator=(const StartButtonsHeld&) = delete;

  private:
    ButtonControl* buttons_;
    bool was_enabled_[2] = {};
};

}  // namespace

void ServerSetup::test_server_connections(SetupProgress& setup) {
    mark_unopened_servers();
    create_semaphore_file(setup);
    setup.begin_stage(26, "Test the server conections");
    setup.failed_task_servers = 0;
    StartButtonsHeld held(controls);
    for (std::int32_t i = 1; i <= servers.num_servers(); ++i) {
        test_machine(setup, i);
    }
}

void ServerSetup::mark_unopened_servers() {
    for (std::int32_t i = 1; i <= servers.num_task_servers(); ++i) {
        if (servers.task_servers[i].failed) {
            set_enabled_color(i, kColorRed);
        }
    }
}

void ServerSetup::create_semaphore_file(SetupProgress& setup) {
    data.semaphore_file =
        job.local_path + "Zelkon_job_" + format_number(number_of(job.job_id), "000000") + ".sem";
    host.append_run_log("\r\rCreate semaphore file: " + data.semaphore_file);
    if (!files.file_exists(data.semaphore_file) && !files.create_text_file(data.semaphore_file)) {
        throw ZelkonError(kErrorFileAccess, "Path/File access error: " + data.semaphore_file);
    }
    setup.write_info("Semaphore file name: " + data.semaphore_file);
}

void ServerSetup::test_machine(SetupProgress& setup, std::int32_t i) {
    const Machine& machine = servers.machines[i];
    // The controller's job folder, as machine i reaches it.
    std::string folder = machine.is_local || machine.slurm ? job.local_work_path
                         : !job.network_share.empty()      ? machine.work_path
                                                           : job.network_work_path;
    std::vector<std::string> programs = {"zelkon_cluster_task"};
    if (machine.is_local) {
        programs.push_back("zelkon_cluster_assemble");  // assemblies run here
    }
    std::string command = listing_command(folder, programs);
    // Only this machine's listing may count, not one left by another.
    remove_listing(job.local_work_path + "dir.lst");
    std::int32_t status = -1;
    // A machine that could not be reached at all is not asked again: that
    // would only wait for the same time-out.
    if (job.use_rpc && (!machine.unreachable.empty() || !listener_answers(machine))) {
        status = -1;
    } else if (machine.slurm) {
        status = test_slurm_node(setup, machine, command);
    } else {
        status = job.use_rpc ? send_listing_by_pipe(machine, command)
                             : start_listing_by_process_class(machine, command);
        events.yield();
        if (status == 0) {
            status = listing_appeared(setup, machine, kListingWaitMs) ? 0 : kListingMissing;
        }
    }
    if (status != 0) {
        fail_machine(setup, machine);
    }
    events.yield();
}

std::int32_t ServerSetup::call_pipe(const Machine& machine, const std::string& text,
                                    std::string& reply) {
    PipeRPC& pipe =
        *channels.PipeRPC_Zelkon.at(static_cast<std::size_t>(machine.first_task_server - 1));
    ByteArray request = ByteArray::of(to_utf16le(text));
    ByteArray response = ByteArray::with_bounds(0, kReplyBytes - 1);
    std::int32_t code = pipe.PipeCall(request, response);
    reply = code == 0 ? from_utf16le(response.bytes) : "";
    return code;
}

bool ServerSetup::listener_answers(const Machine& machine) {
    std::string reply;
    return call_pipe(machine, "Num pipes:", reply) == 0 && listener_serves(reply, machine.count);
}

std::int32_t ServerSetup::send_listing_by_pipe(const Machine& machine, const std::string& command) {
    std::string reply;  // the listener's word on the start is not needed
    return call_pipe(machine, command, reply);
}

// A node is tried with a short step first; the listing, a shell command
// line, then runs in a shell of its own step.
std::int32_t ServerSetup::test_slurm_node(SetupProgress& setup, const Machine& machine,
                                          const std::string& listing) {
    std::int32_t code = start_listing_by_process_class(machine, "true");
    if (code == 0) {
        code = start_listing_by_process_class(machine, listing);
    }
    if (code != 0) {
        auto slot = static_cast<std::size_t>(machine.first_task_server - 1);
        host.append_run_log("\r" + machine.name + ": " +
                            channels.server_wmi_process.at(slot)->failure_reason());
        return code;
    }
    return listing_appeared(setup, machine, kSlurmListingWaitMs) ? 0 : kListingMissing;
}

std::int32_t ServerSetup::start_listing_by_process_class(const Machine& machine,
                                                         const std::string& command) {
    auto slot = static_cast<std::size_t>(machine.first_task_server - 1);
    const std::string& folder = servers.task_servers[machine.first_task_server].work_path;
    int process_id = 0;
    std::int32_t code = channels.server_wmi_process.at(slot)->Create(command, folder, process_id);
    channels.server_process_id.at(slot) = process_id;
    return code;
}

// True when the listing appeared and names no program as missing: a task
// that cannot start would otherwise fail without a word.
bool ServerSetup::listing_appeared(SetupProgress& setup, const Machine& machine, int wait_ms) {
    std::string listing = job.local_work_path + "dir.lst";
    bool found = files.file_exists(listing);
    for (int waited = 0; waited < wait_ms && !found; waited += kListingLookIntervalMs) {
        wait_and_let_events_run(kListingLookIntervalMs);
        found = files.file_exists(listing);
    }
    if (!found) {
        return false;
    }
    std::vector<std::string> lines;
    files.read_lines(listing, lines);
    remove_listing(listing);
    std::vector<std::string> missing = missing_programs(lines);
    for (const std::string& program : missing) {
        std::string message = program + " was not found on " + machine.name;
        host.append_run_log("\r" + message);
        setup.write_info(message);
    }
    return missing.empty();
}

void ServerSetup::remove_listing(const std::string& listing) {
    if (files.file_exists(listing) && !files.delete_files(listing, false)) {
        throw ZelkonError(kErrorFileAccess, "Path/File access error: " + listing);
    }
}

// A machine that fails the test loses all its task servers for the run.
void ServerSetup::fail_machine(SetupProgress& setup, const Machine& machine) {
    setup.failed_task_servers += machine.count;
    for (std::int32_t k = 0; k < machine.count; ++k) {
        std::int32_t server = machine.first_task_server + k;
        servers.task_servers[server].failed = true;
        set_enabled_color(server, kColorRed);
    }
}

void ServerSetup::wait_and_let_events_run(int milliseconds) {
    clock.sleep_ms(milliseconds);
    events.yield();
}

}  // namespace zelkon
