#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/process_starter.h"

namespace zelkon {

// Records every start; a test finishes processes or makes starts fail.
class FakeProcessStarter : public ProcessStarter {
  public:
    struct Started {
        std::string command_line;
        std::string folder;
        int process_id = 0;
    };

    StartResult start(const std::string& command_line, const std::string& folder) override;
    int wait(int process_id) override;
    bool is_running(int process_id) override;
    void end(int process_id) override;

    void finish(int process_id, int exit_code = 0);

    std::vector<Started> started;
    std::vector<int> ended;  // by end()
    bool fail_starts = false;
    // Runs when a process is started (a test writes the files it would write).
    std::function<void(const Started&)> on_start;
    // Runs when the caller waits for a process that has not finished; it
    // finishes it with exit code 0 unless the hook finished it already.
    std::function<void(const Started&)> on_wait;

  private:
    int next_id_ = 1000;
    std::map<int, int> exit_codes_;  // finished processes
};

}  // namespace zelkon
