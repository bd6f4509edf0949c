#include "platform/spawn.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/owned_fd.h"

extern char** environ;

namespace zelkon {
namespace {

// The search path when PATH is not set, as the C library's own.
constexpr const char* kDefaultSearchPath = "/bin:/usr/bin";

std::vector<char*> pointers_to(const std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (const std::string& text : texts) {
        pointers.push_back(const_cast<char*>(text.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

// What the child reads, owned by the parent across the fork.
struct ChildPlan {
    std::string program;
    std::vector<std::string> environment;
    std::vector<std::string> shell_arguments;
    std::vector<char*> argv;
    std::vector<char*> shell_argv;  // a script without "#!" runs in the shell, as execvp does
    std::vector<char*> envp;
    const char* folder = "";
    int streams[3] = {-1, -1, -1};
    bool new_session = false;
    bool end_with_parent = false;
    pid_t parent = 0;
    int report_fd = -1;
};

void prepare(const SpawnRequest& request, std::string program, int null_fd, ChildPlan& plan) {
    plan.program = std::move(program);
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        plan.environment.emplace_back(*entry);
    }
    plan.shell_arguments = {"/bin/sh", plan.program};
    plan.shell_arguments.insert(plan.shell_arguments.end(), request.arguments.begin() + 1,
                                request.arguments.end());
    plan.argv = pointers_to(request.arguments);
    plan.shell_argv = pointers_to(plan.shell_arguments);
    plan.envp = pointers_to(plan.environment);
    plan.folder = request.folder.c_str();
    for (int stream = 0; stream < 3; ++stream) {
        plan.streams[stream] = request.streams[stream] >= 0 ? request.streams[stream] : null_fd;
    }
    plan.new_session = request.new_session;
    plan.end_with_parent = request.end_with_parent;
    plan.parent = getpid();
}

// In the child: tells the parent why, and ends.
[[noreturn]] void fail_child(int report_fd) {
    int code = errno;
    (void)!write(report_fd, &code, sizeof code);
    _exit(127);
}

// In the child: only async-signal-safe calls, no allocation.
[[noreturn]] void run_child(const ChildPlan& plan) {
    if (plan.end_with_parent) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != plan.parent) {
            _exit(127);  // the parent ended before the line above took effect
        }
    }
    if (plan.new_session) {
        setsid();
    }
    for (int stream = 0; stream < 3; ++stream) {
        dup2(plan.streams[stream], stream);
    }
    if (plan.folder[0] != '\0' && chdir(plan.folder) != 0) {
        fail_child(plan.report_fd);
    }
    // Whatever the controller blocked, the child starts with default handling.
    signal(SIGPIPE, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execve(plan.program.c_str(), plan.argv.data(), plan.envp.data());
    if (errno == ENOEXEC) {
        execve("/bin/sh", plan.shell_argv.data(), plan.envp.data());
    }
    fail_child(plan.report_fd);
}

// The errno the child reported, or 0 once the exec closed the pipe.
int child_report(int report_fd) {
    int code = 0;
    ssize_t got;
    do {
        got = read(report_fd, &code, sizeof code);
    } while (got < 0 && errno == EINTR);
    return got == static_cast<ssize_t>(sizeof code) ? code : 0;
}

bool is_regular(const std::string& file) {
    struct stat info {};
    return stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

int resolve_program(const std::string& name, const char* search_path, std::string& file) {
    if (name.empty()) {
        return ENOENT;
    }
    if (name.find('/') != std::string::npos) {
        file = name;  // exec says what is wrong with it, if anything
        return 0;
    }
    std::string folders = search_path != nullptr ? search_path : kDefaultSearchPath;
    int code = ENOENT;
    std::size_t start = 0;
    while (true) {
        std::size_t end = folders.find(':', start);
        std::string folder = folders.substr(start, end - start);
        std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (is_regular(candidate)) {
            if (access(candidate.c_str(), X_OK) == 0) {
                file = candidate;
                return 0;
            }
            code = EACCES;
        }
        if (end == std::string::npos) {
            return code;
        }
        start = end + 1;
    }
}

SpawnResult spawn_process(const SpawnRequest& request) {
    if (request.arguments.empty()) {
        return {0, ENOENT};
    }
    std::string program = request.program;
    if (program.empty()) {
        if (int code = resolve_program(request.arguments[0], std::getenv("PATH"), program);
            code != 0) {
            return {0, code};
        }
    }
    OwnedFd null_fd(open("/dev/null", O_RDWR | O_CLOEXEC));
    // A close-on-exec pipe tells whether the child got as far as the exec.
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        return {0, errno};
    }
    OwnedFd report_read(ends[0]);
    OwnedFd report_write(ends[1]);
    ChildPlan plan;
    prepare(request, std::move(program), null_fd.get(), plan);
    plan.report_fd = report_write.get();
    pid_t child = fork();
    if (child < 0) {
        return {0, errno};
    }
    if (child == 0) {
        run_child(plan);
    }
    report_write.reset();
    if (int code = child_report(report_read.get()); code != 0) {
        while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
        return {0, code};
    }
    return {static_cast<int>(child), 0};
}

}  // namespace zelkon
