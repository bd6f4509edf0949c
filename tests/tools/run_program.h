// Runs one of the reference programs in a folder, with extra environment variables.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace zelkon_ref_test {

struct ProgramRun {
    int exit_code = -1;  // -1 when it was still running at the time limit (and was killed)
    std::string out;
    std::string err;
};

ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                       const std::filesystem::path& folder,
                       const std::vector<std::string>& env = {}, double seconds = 60);

// Starts without waiting; the caller waits with wait_exit or ends it with kill_program.
pid_t start_program(const std::string& program, const std::vector<std::string>& args,
                    const std::filesystem::path& folder, const std::vector<std::string>& env = {});
// The exit code, or -1 when it is still running after the given time.
int wait_exit(pid_t pid, double seconds);
void kill_program(pid_t pid);

// A fresh empty folder under the system's temporary folder, removed by the destructor.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

std::string read_file(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, const std::string& text);

}  // namespace zelkon_ref_test
