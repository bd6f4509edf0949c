#include "platform/fake/fake_process_starter.h"

namespace zelkon {

StartResult FakeProcessStarter::start(const std::string& command_line, const std::string& folder) {
    if (fail_starts) {
        return {false, 0, "No such file or directory"};
    }
    started.push_back({command_line, folder, ++next_id_});
    if (on_start) {
        on_start(started.back());
    }
    return {true, next_id_, ""};
}

int FakeProcessStarter::wait(int process_id) {
    if (exit_codes_.count(process_id) == 0) {
        for (const auto& process : started) {
            if (process.process_id == process_id && on_wait) {
                on_wait(process);
            }
        }
        if (exit_codes_.count(process_id) == 0) {
            finish(process_id, 0);
        }
    }
    return exit_codes_[process_id];
}

bool FakeProcessStarter::is_running(int process_id) {
    for (const auto& process : started) {
        if (process.process_id == process_id) {
            return exit_codes_.count(process_id) == 0;
        }
    }
    return false;
}

void FakeProcessStarter::end(int process_id) {
    if (is_running(process_id)) {
        ended.push_back(process_id);
        finish(process_id, 128 + 9);
    }
}

void FakeProcessStarter::finish(int process_id, int exit_code) {
    exit_codes_[process_id] = exit_code;
}

}  // namespace zelkon
