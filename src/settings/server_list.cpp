#include "settings/server_list.h"

#include <unordered_map>

#include "model/Module_zelkon_cluster.h"
#include "platform/error.h"

namespace zelkon {
namespace {

const char* const kNoNames = "No server names have been specified";

// A count or thread text: its whole value when it is a number of 0 or more,
// otherwise the default.
std::int32_t whole_or_default(const std::string& text, std::int32_t fallback) {
    if (!is_numeric(text)) {
        return fallback;
    }
    double value = number_of(text);
    return value >= 0 ? whole_number(value) : fallback;
}

// One line as a candidate machine; an empty name ends the list.
ServerMachine machine_of_line(const std::string& line) {
    ServerMachine machine;
    std::size_t slash = line.find('/');
    if (slash == std::string::npos) {
        machine.name = trim(line);
        return machine;
    }
    machine.name = line.substr(0, slash);
    std::string rest = line.substr(slash + 1);
    if (machine.name.empty() || rest.empty()) {
        return machine;
    }
    std::size_t second = rest.find('/');
    std::string count_text = rest.substr(0, second);
    std::string thread_text = second == std::string::npos ? "" : rest.substr(second + 1);
    machine.count = whole_or_default(count_text, 1);
    machine.count_given = true;
    machine.threads = whole_or_default(thread_text, 0);
    return machine;
}

void refuse_too_many(std::int64_t task_servers) {
    if (task_servers > kMaxTaskServers) {
        throw ZelkonError(kErrorOverflow, "Overflow: the server list gives more than " +
                                              std::to_string(kMaxTaskServers) + " task servers");
    }
}

// Adds the machines of the lines up to the first empty line or empty name.
void add_machines(const std::vector<std::string>& lines, std::size_t used, ServerList& list) {
    std::unordered_map<std::string, std::size_t> index_of_key;
    for (std::size_t i = 0; i < used && !lines[i].empty(); ++i) {
        ServerMachine candidate = machine_of_line(lines[i]);
        if (candidate.name.empty()) {
            return;
        }
        std::string key = to_upper(trim(candidate.name));
        auto found = index_of_key.find(key);
        if (found == index_of_key.end()) {
            refuse_too_many(static_cast<std::int64_t>(list.machines.size()) + 1);
            index_of_key.emplace(key, list.machines.size());
            list.machines.push_back(candidate);
            continue;
        }
        ServerMachine& machine = list.machines[found->second];
        refuse_too_many(static_cast<std::int64_t>(machine.count) + 1);
        machine.count += 1;
        machine.threads = std::max(machine.threads, candidate.threads);
        list.duplicate = true;
    }
}

}  // namespace

std::vector<std::string> split_server_lines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\r' && c != '\n') {
            lines.back().push_back(c);
            continue;
        }
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
        }
        lines.emplace_back();
    }
    return lines;
}

std::string decode_server_list(const std::string& text, ServerList& list) {
    list = ServerList{};
    std::string trimmed = trim(text);
    if (trimmed.empty()) {
        return kNoNames;
    }
    std::vector<std::string> lines = split_server_lines(trimmed);
    std::size_t used = lines.size();
    while (used > 0 && lines[used - 1].empty()) {
        --used;
    }
    if (used == 0) {
        return kNoNames;
    }
    add_machines(lines, used, list);
    if (list.machines.empty()) {
        return "No server names have been decoded from the list";
    }
    std::int64_t total = 0;
    for (const auto& machine : list.machines) {
        total += machine.count;
        refuse_too_many(total);
    }
    list.num_task_servers = static_cast<std::int32_t>(total);
    if (total < 1) {
        return "No Task Servers have been decoded from the list";
    }
    return "";
}

std::string canonical_server_list(const std::vector<ServerMachine>& machines) {
    std::string text;
    for (const auto& machine : machines) {
        if (!text.empty()) {
            text += "\r\n";
        }
        text += machine.name + "/" + format_number(machine.count, "0") + "/" +
                format_number(machine.threads, "0");
    }
    return text;
}

}  // namespace zelkon
