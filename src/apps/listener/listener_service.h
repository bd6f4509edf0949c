#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/process_starter.h"
#include "platform/system_info.h"

namespace zelkon {

// What the listener of a task server answers: "Num pipes:" with its name and
// how many clients it serves, any other request by starting it as a command
// line. Requests and replies are UTF-16LE text. Each request is logged with
// its time.
class ListenerService {
  public:
    ListenerService(ProcessStarter& processes, const ComputerName& computer_name, Clock& clock,
                    std::ostream& log, int max_pipes);

    std::vector<std::uint8_t> answer(int pipe, const std::vector<std::uint8_t>& request);
    // One line of the log, led by the date and time.
    void log(const std::string& text);

  private:
    std::string reply_to(const std::vector<std::uint8_t>& request);
    std::string start_command(const std::string& command);
    void forget_finished();

    ProcessStarter& processes_;
    std::string computer_name_;
    Clock& clock_;
    std::ostream& log_;
    int max_pipes_;
    std::vector<int> started_;
};

}  // namespace zelkon
