#include "faults.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "error.h"
#include "text.h"

namespace zelkon_ref {

namespace {

std::optional<std::string> variable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || trim(value).empty()) {
        return std::nullopt;
    }
    return trim(value);
}

[[noreturn]] void bad(const char* name, const std::string& value, const std::string& meaning) {
    throw ZelkonError(std::string(name) + "=\"" + value + "\" is not valid: " + meaning);
}

double real_switch(const char* name, double least) {
    auto text = variable(name);
    if (!text) {
        return least;
    }
    auto value = parse_real(*text);
    if (!value || *value < least) {
        bad(name, *text, "give a number of at least " + trim(std::to_string(least)));
    }
    return *value;
}

bool listed(const char* name, long long task) {
    auto text = variable(name);
    if (!text) {
        return false;
    }
    if (*text == "all") {
        return true;
    }
    bool found = false;
    std::string item;
    for (size_t i = 0; i <= text->size(); ++i) {
        if (i < text->size() && (*text)[i] != ',') {
            item += (*text)[i];
            continue;
        }
        auto number = parse_integer(item);
        if (!number || *number < 1) {
            bad(name, *text, "give task numbers separated by commas, or \"all\"");
        }
        found = found || *number == task;
        item.clear();
    }
    return found;
}

// True only for the first start that asks: later starts find the marker.
bool first_attempt(const std::filesystem::path& marker) {
    int fd = ::open(marker.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

}  // namespace

bool fault_fires_now(const std::filesystem::path& fault_marker) {
    bool every = variable("ZELKON_FAULT_EVERY_ATTEMPT").value_or("0") == "1";
    return every || first_attempt(fault_marker);
}

TaskFaults read_task_faults(long long task, const std::filesystem::path& fault_marker) {
    TaskFaults faults;
    faults.min_seconds = real_switch("ZELKON_TASK_MIN_SECONDS", 0);
    faults.slowness = real_switch("ZELKON_SLOWNESS", 1);
    bool hang = listed("ZELKON_TASK_HANG", task);
    bool crash = listed("ZELKON_TASK_CRASH", task);
    if (hang || crash) {
        bool fail_now = fault_fires_now(fault_marker);
        faults.hang = hang && fail_now;
        faults.crash = crash && !hang && fail_now;
    }
    return faults;
}

std::optional<std::string> read_init_error() {
    return variable("ZELKON_INIT_ERROR");
}

AssembleCrash read_assemble_crash() {
    AssembleCrash crash;
    auto text = variable("ZELKON_ASSEMBLE_CRASH");
    if (!text) {
        return crash;
    }
    std::string number = *text;
    if (number.size() > 7 && number.substr(number.size() - 7) == ":logged") {
        crash.after_log = true;
        number.resize(number.size() - 7);
    }
    auto task = parse_integer(number);
    if (!task || *task < 1) {
        bad("ZELKON_ASSEMBLE_CRASH", *text, "give a task number, optionally followed by :logged");
    }
    crash.task = *task;
    return crash;
}

void hang_while_exists(const std::filesystem::path& folder) {
    // An hour is "never" for any test, and no forgotten task outlives it.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::hours(1);
    std::error_code ec;
    while (std::filesystem::exists(folder, ec) && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}

}  // namespace zelkon_ref
