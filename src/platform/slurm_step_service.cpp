#include "platform/slurm_step_service.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/captured_run.h"
#include "platform/shell_words.h"
#include "platform/slurm_step_texts.h"

extern char** environ;

namespace zelkon {
namespace {

constexpr int kLookIntervalUs = 5000;
// A step that waits for CPUs freed by an ending step is still not refused;
// past this it is taken as started, its id unknown.
constexpr int kLaunchWaitUs = 120 * 1000 * 1000;
constexpr int kCancelWaitUs = 10 * 1000 * 1000;
constexpr int kGraceUs = 1000 * 1000;

std::string text_of(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// srun in a session of its own (a Ctrl-C at the terminal is the
// controller's to handle), with default signals, messages to a file.
pid_t spawn_srun(const std::vector<std::string>& arguments, const std::string& messages,
                 std::string& reason) {
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, messages.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signal_number : {SIGINT, SIGTERM, SIGPIPE, SIGHUP}) {
        sigaddset(&defaults, signal_number);
    }
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    int code = posix_spawnp(&pid, argv[0], &files, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    if (code != 0) {
        reason = "srun: " + std::string(std::strerror(code));
        return 0;
    }
    return pid;
}

class SlurmProcessClass : public ProcessClass {
  public:
    SlurmProcessClass(SlurmStepService& service, std::string node)
        : service_(service), node_(std::move(node)) {}
    int Create(const std::string& command_line, const std::string& folder,
               int& process_id) override {
        reason_.clear();
        return service_.start_step(node_, command_line, folder, process_id, reason_);
    }
    int start_refused(int process_id) override {
        reason_.clear();
        return service_.step_refused(process_id, reason_);
    }
    std::string failure_reason() const override { return reason_; }

  private:
    SlurmStepService& service_;
    std::string node_;
    std::string reason_;
};

}  // namespace

SlurmStepService::SlurmStepService() = default;

// Made at the first step: a run without the scheduler leaves no trace.
bool SlurmStepService::has_folder() {
    char pattern[] = "/tmp/zelkon-srun-XXXXXX";
    if (folder_.empty() && mkdtemp(pattern) != nullptr) {
        folder_ = pattern;
    }
    return !folder_.empty();
}

SlurmStepService::~SlurmStepService() {
    cancel_running_steps();
    if (!folder_.empty()) {
        std::error_code error;
        std::filesystem::remove_all(folder_, error);
    }
}

std::shared_ptr<ProcessClass> SlurmStepService::connect(const std::string& node) {
    return std::make_shared<SlurmProcessClass>(*this, node);
}

int SlurmStepService::start_step(const std::string& node, const std::string& command_line,
                                 const std::string& folder, int& process_id, std::string& reason) {
    reap_finished();
    std::vector<std::string> words = split_shell_words(command_line);
    if (words.empty() || !has_folder()) {
        reason = words.empty() ? "No command to run" : "No folder for srun's messages";
        return 1;
    }
    // A task's command line is a small shell script (it leaves an .err file
    // when the program fails without one), so the step runs it in a shell.
    std::vector<std::string> command = {"/bin/sh", "-c", command_line};
    Step step;
    step.messages = folder_ + "/step-" + std::to_string(++next_log_) + ".log";
    step.pid = spawn_srun(srun_step_arguments(node, cpus_of_command(words), folder, command),
                          step.messages, reason);
    if (step.pid == 0) {
        return 127;  // as a shell reports a program it cannot run
    }
    refusals_.erase(step.pid);  // an earlier srun's, whose pid is used again
    if (nodes_launched_.contains(node)) {
        running_.push_back(step);
        process_id = static_cast<int>(step.pid);
        return 0;
    }
    int code = await_launch(step, reason);
    if (code == 0) {
        nodes_launched_.insert(node);
        process_id = static_cast<int>(step.pid);
    }
    return code;
}

int SlurmStepService::step_refused(int process_id, std::string& reason) {
    for (auto step = running_.begin(); step != running_.end(); ++step) {
        Refusal refusal;
        if (step->pid == process_id && step->id.empty() && has_ended(*step, refusal)) {
            forget(*step);
            running_.erase(step);
            if (refusal.code != 0) {
                refusals_[process_id] = refusal;
            }
            break;
        }
    }
    auto found = refusals_.find(process_id);
    if (found == refusals_.end()) {
        return 0;
    }
    int code = found->second.code;
    reason = found->second.reason;
    refusals_.erase(found);
    return code;
}

// Launched: the step is kept. Ended: a refusal, unless it launched or ended
// well (a step as short as "true" may end before its launch is read).
int SlurmStepService::await_launch(Step& step, std::string& reason) {
    for (int waited = 0; waited < kLaunchWaitUs; waited += kLookIntervalUs) {
        Refusal refusal;
        if (has_ended(step, refusal)) {
            forget(step);
            reason = refusal.reason;
            return refusal.code;
        }
        if (!step.id.empty()) {
            running_.push_back(step);
            return 0;
        }
        usleep(kLookIntervalUs);
    }
    running_.push_back(step);
    return 0;
}

bool SlurmStepService::has_ended(Step& step, Refusal& refusal) {
    if (step.id.empty()) {
        step.id = launched_step_id(text_of(step.messages));
    }
    int status = 0;
    pid_t ended = waitpid(step.pid, &status, WNOHANG);
    int wait_error = errno;
    if (ended == 0) {
        return false;
    }
    refusal = Refusal{};
    if (!step.id.empty()) {
        return true;
    }
    if (ended < 0) {
        refusal = {1, "srun: " + std::string(std::strerror(wait_error))};
        return true;
    }
    // Its messages are whole now.
    std::string messages = text_of(step.messages);
    step.id = launched_step_id(messages);
    if (!step.id.empty() || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
        return true;
    }
    refusal.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    refusal.reason = srun_failure_reason(messages);
    return true;
}

void SlurmStepService::reap_finished() {
    for (std::size_t i = 0; i < running_.size();) {
        Refusal refusal;
        if (has_ended(running_[i], refusal)) {
            if (refusal.code != 0) {
                refusals_[running_[i].pid] = refusal;
            }
            forget(running_[i]);
            running_.erase(running_.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
}

void SlurmStepService::forget(Step& step) {
    unlink(step.messages.c_str());
}

int SlurmStepService::cancel_running_steps() {
    // A step whose task has just finished is given a moment to end by itself.
    for (int waited = 0; waited < kGraceUs && !running_.empty(); waited += kLookIntervalUs) {
        reap_finished();
        usleep(kLookIntervalUs);
    }
    reap_finished();
    std::vector<std::string> scancel = {"scancel"};
    for (const Step& step : running_) {
        if (!step.id.empty()) {
            scancel.push_back(step.id);
        } else {
            kill(step.pid, SIGTERM);  // srun ends a step it launched as it goes
        }
    }
    int cancelled = static_cast<int>(running_.size());
    if (scancel.size() > 1) {
        run_captured(scancel);
    }
    for (int waited = 0; !running_.empty() && waited < kCancelWaitUs; waited += kLookIntervalUs) {
        usleep(kLookIntervalUs);
        reap_finished();
    }
    return cancelled;
}

}  // namespace zelkon
