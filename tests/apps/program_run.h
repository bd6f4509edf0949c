#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/temp_folder.h"

namespace zelkon {

// What a shell command did: its exit code and both output streams.
struct ProgramRun {
    int code = -1;
    std::string out;
    std::string err;
};

// This computer's short name.
inline std::string this_computer() {
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    std::string name = host;
    return name.substr(0, name.find('.'));
}

// A text as one single-quoted shell word.
inline std::string shell_quoted(const std::string& text) {
    std::string result = "'";
    for (char c : text) {
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return result + "'";
}

inline std::string file_text(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream content;
    content << stream.rdbuf();
    return content.str();
}

// Runs the command through the shell, its output caught in files of `temp`.
inline ProgramRun run_command(const TempFolder& temp, const std::string& command) {
    std::string line =
        "(" + command + ") > '" + temp.file("out.txt") + "' 2> '" + temp.file("err.txt") + "'";
    int status = std::system(line.c_str());
    ProgramRun run;
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = file_text(temp.file("out.txt"));
    run.err = file_text(temp.file("err.txt"));
    return run;
}

}  // namespace zelkon
