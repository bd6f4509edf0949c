#pragma once

#include <string>

namespace zelkon {

// How the listener's log tells why a client's connection ended, from the
// reason and system error PipeRPC gives. A client that closes its end after
// its reply is the normal case.
std::string disconnect_text(int reason, int system_error);

}  // namespace zelkon
