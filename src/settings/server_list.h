#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelkon {

// The most task servers (and machines) one list may give. Every task server
// gets its own channel and grid row, so a larger list is a typing mistake,
// and refusing it keeps a stray huge count from exhausting memory.
inline constexpr std::int32_t kMaxTaskServers = 10000;

// One machine of the server list.
struct ServerMachine {
    std::string name;  // as written
    std::int32_t count = 1;
    std::int32_t threads = 0;
    bool count_given = false;  // written as name/count
    bool slurm_node = false;   // a node of the scheduler's allocation
};

// What a server list decodes to.
struct ServerList {
    std::vector<ServerMachine> machines;  // in the order they first appear
    std::int32_t num_task_servers = 0;
    bool duplicate = false;  // some name was repeated
};

// Decodes a server list: one machine per line, as name, name/count or
// name/count/threads. Returns the message to show, or "" when the list gave
// at least one task server. Throws ZelkonError when a number does not fit.
std::string decode_server_list(const std::string& text, ServerList& list);

// The list written back one machine per line as name/count/threads.
std::string canonical_server_list(const std::vector<ServerMachine>& machines);

// Splits text into lines at CR LF, and at a lone LF or CR as Linux editors
// and pasted text use them.
std::vector<std::string> split_server_lines(const std::string& text);

}  // namespace zelkon
