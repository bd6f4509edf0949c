#include "platform/ssh_options.h"

#include <cstdlib>

#include "platform/shell_words.h"

namespace zelkon {
namespace {

void add_option(std::vector<std::string>& arguments, const std::string& name,
                const std::string& value) {
    arguments.push_back("-o");
    arguments.push_back(name + "=" + value);
}

}  // namespace

SshOptions SshOptions::from_environment(std::string control_folder) {
    const char* command = std::getenv("ZELKON_SSH_COMMAND");
    bool given = command != nullptr && command[0] != '\0';
    return from_command(given ? command : "ssh", std::move(control_folder));
}

SshOptions SshOptions::from_command(const std::string& command, std::string control_folder) {
    SshOptions options;
    options.program = split_shell_words(command);
    if (options.program.empty()) {
        options.program.push_back("ssh");
    }
    options.control_folder = std::move(control_folder);
    return options;
}

std::vector<std::string> SshOptions::run_on(const std::string& host,
                                            const std::string& remote_command) const {
    // The words of ZELKON_SSH_COMMAND come first: ssh keeps the first value
    // it is given for an option, so the user's choices win over ours.
    std::vector<std::string> arguments = program;
    arguments.push_back("-T");
    add_option(arguments, "BatchMode", "yes");
    add_option(arguments, "ConnectTimeout", std::to_string(connect_timeout_s));
    add_option(arguments, "ServerAliveInterval", std::to_string(alive_interval_s));
    add_option(arguments, "ServerAliveCountMax", std::to_string(alive_count_max));
    if (!control_folder.empty()) {
        add_option(arguments, "ControlMaster", "auto");
        add_option(arguments, "ControlPersist", std::to_string(persist_s));
        add_option(arguments, "ControlPath", control_folder + "/%C");
    }
    arguments.push_back("--");
    arguments.push_back(host);
    arguments.push_back(remote_command);
    return arguments;
}

std::vector<std::string> SshOptions::end_master(const std::string& socket) const {
    std::vector<std::string> arguments = program;
    add_option(arguments, "ControlPath", socket);
    // The socket names the master, so the host name is only a placeholder.
    for (const char* word : {"-O", "exit", "--", "zelkon-master"}) {
        arguments.push_back(word);
    }
    return arguments;
}

}  // namespace zelkon
