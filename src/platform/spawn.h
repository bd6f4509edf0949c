#pragma once

#include <string>
#include <vector>

namespace zelkon {

// How to start a child process. Everything the child needs is made ready
// before the fork, so that the child, which shares this process's memory with
// threads frozen at any point, calls only async-signal-safe functions.
struct SpawnRequest {
    std::vector<std::string> arguments;  // the program's name first
    std::string program;                 // the file to run; empty: arguments[0] on PATH
    std::string folder;                  // empty: this process's folder
    // Standard input, output and error; -1 puts that stream on /dev/null.
    int streams[3] = {-1, -1, -1};
    bool new_session = false;      // leads a session (and process group) of its own
    bool end_with_parent = false;  // is sent SIGTERM should this process end first
};

struct SpawnResult {
    int process_id = 0;  // 0 when the program was not started
    int error = 0;       // the errno that prevented the start
};

// Starts the program and returns once it runs, or with the reason it could
// not: not found on PATH, a folder that cannot be entered, or a failed exec.
// A child that failed to start has already been waited for.
SpawnResult spawn_process(const SpawnRequest& request);

// The file that the name stands for, searched in the folders of search_path
// (a PATH value; null for the system's default) unless the name holds a
// slash; 0, or ENOENT / EACCES as exec would report them.
int resolve_program(const std::string& name, const char* search_path, std::string& file);

}  // namespace zelkon
