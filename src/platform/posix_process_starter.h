#pragma once

#include <map>
#include <set>

#include "platform/process_starter.h"

namespace zelkon {

class PosixProcessStarter : public ProcessStarter {
  public:
    StartResult start(const std::string& command_line, const std::string& folder) override;
    int wait(int process_id) override;
    bool is_running(int process_id) override;
    void end(int process_id) override;

  private:
    // Collects the children that ended without being waited for.
    void reap_finished();
    std::set<int> children_;
    std::map<int, int> ended_;  // exit codes of children not yet waited for
};

}  // namespace zelkon
