#pragma once

#include <string>
#include <vector>

namespace zelkon {

// How the controller runs ssh: the program and its extra options, the folder
// of the shared master connections and the time limits. The management
// service and the remote pipes use the same options, so that they share one
// master connection, and so one login, per machine.
struct SshOptions {
    // The ssh program and any extra options, as separate words.
    std::vector<std::string> program{"ssh"};
    // The private folder of the master connections' sockets. Empty: every
    // ssh run logs in on its own.
    std::string control_folder;
    int connect_timeout_s = 10;
    // A peer that stays silent this many times this long is given up.
    int alive_interval_s = 15;
    int alive_count_max = 3;
    // How long an idle master waits for its next use; it also bounds the
    // life of a master whose controller was killed before it could end it.
    int persist_s = 600;

    // The program and extra options from $ZELKON_SSH_COMMAND, or "ssh".
    static SshOptions from_environment(std::string control_folder = "");
    // The program and extra options split from a command as a shell would.
    static SshOptions from_command(const std::string& command, std::string control_folder = "");

    // The arguments that run remote_command on host. The host comes after
    // "--", so ssh never reads it as an option.
    std::vector<std::string> run_on(const std::string& host,
                                    const std::string& remote_command) const;
    // The arguments that ask the master listening on socket to end.
    std::vector<std::string> end_master(const std::string& socket) const;
};

}  // namespace zelkon
