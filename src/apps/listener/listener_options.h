#pragma once

#include <QStringList>
#include <string>

namespace zelkon {

// What the listener was asked to do on its command line.
struct ListenerOptions {
    std::string pipe_name = "Zelkon_Server";
    int max_clients = 1;
    bool dial = false;
    std::string dial_name;
};

// What parse_listener_options found: go on, end with this exit code after
// --help or --version, or a usage error already reported.
enum class ParseOutcome { run, answered, usage_error };

// Parses the arguments (the program name first); prints --help and --version,
// and any usage error, itself.
ParseOutcome parse_listener_options(const QStringList& arguments, ListenerOptions& options);

}  // namespace zelkon
