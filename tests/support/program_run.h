#pragma once

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/temp_folder.h"

extern char** environ;

namespace zelkon {

// What a program did: its exit code and both output streams.
struct ProgramRun {
    int code = -1;
    std::string out;
    std::string err;
};

// This computer's short name, as a server list gives it.
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

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The lines of a text, without their CR.
inline std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

// Polls until the condition holds or the limit has passed.
inline bool eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds limit = std::chrono::seconds(60)) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// A live process: its id and command line (a zombie's is empty).
struct ProcessInfo {
    pid_t pid = 0;
    std::string command_line;
};

inline std::vector<ProcessInfo> processes() {
    std::vector<ProcessInfo> all;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        ProcessInfo p{std::atoi(entry.path().filename().c_str()),
                      file_text(entry.path().string() + "/cmdline")};
        std::replace(p.command_line.begin(), p.command_line.end(), '\0', ' ');
        if (p.pid > 0 && !p.command_line.empty()) {
            all.push_back(p);
        }
    }
    return all;
}

inline bool any_process_mentions(const std::string& text) {
    std::vector<ProcessInfo> all = processes();
    return std::any_of(all.begin(), all.end(),
                       [&](const ProcessInfo& p) { return contains(p.command_line, text); });
}

// Runs the command through the shell, its output caught in files of `temp`.
inline ProgramRun run_command(const TempFolder& temp, const std::string& command) {
    std::string line = "(" + command + ") > " + shell_quoted(temp.file("out.txt")) + " 2> " +
                       shell_quoted(temp.file("err.txt"));
    int status = std::system(line.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, file_text(temp.file("out.txt")),
            file_text(temp.file("err.txt"))};
}

// Starts the shell command line in the background: its process id, or -1.
inline pid_t spawn_shell(std::string line) {
    std::vector<char*> argv = {const_cast<char*>("/bin/sh"), const_cast<char*>("-c"), line.data(),
                               nullptr};
    pid_t pid = -1;
    return posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

}  // namespace zelkon
