#include "run_program.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace zelkon_ref_test {

namespace fs = std::filesystem;

namespace {

pid_t spawn(const std::string& program, const std::vector<std::string>& args,
            const fs::path& folder, const std::vector<std::string>& env, const fs::path& out,
            const fs::path& err) {
    std::string path = std::string(ZELKON_BIN_DIR) + "/" + program;
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0) {
            _exit(126);
        }
        for (const std::string& setting : env) {
            putenv(const_cast<char*>(setting.c_str()));
        }
        if (!freopen(out.c_str(), "w", stdout) || !freopen(err.c_str(), "w", stderr)) {
            _exit(126);
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(path.c_str()));
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        execv(path.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

}  // namespace

ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                       const fs::path& folder, const std::vector<std::string>& env,
                       double seconds) {
    TempFolder capture;
    fs::path out = capture.path() / "out.txt";
    fs::path err = capture.path() / "err.txt";
    pid_t pid = spawn(program, args, folder, env, out, err);
    ProgramRun run;
    run.exit_code = wait_exit(pid, seconds);
    if (run.exit_code == -1) {
        kill_program(pid);
    }
    run.out = read_file(out);
    run.err = read_file(err);
    return run;
}

pid_t start_program(const std::string& program, const std::vector<std::string>& args,
                    const fs::path& folder, const std::vector<std::string>& env) {
    return spawn(program, args, folder, env, "/dev/null", "/dev/null");
}

int wait_exit(pid_t pid, double seconds) {
    auto limit = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (true) {
        int status = 0;
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (std::chrono::steady_clock::now() > limit) {
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void kill_program(pid_t pid) {
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
}

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "zelkon-tools-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
}

TempFolder::~TempFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void write_file(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace zelkon_ref_test
