#pragma once

#include <string>

namespace zelkon {

// A stand-in for ssh whose login to nodeA or nodeB succeeds only while the
// other's login has begun too: so only logins that overlap succeed. It
// records its process id in FOLDER/HOST.pid, waits up to 3 s for the other,
// then says `greeting` (printf's format) and reads until its input ends.
inline std::string overlapping_login(const std::string& folder, const std::string& greeting) {
    return "for word; do host=$previous; previous=$word; done; "
           "echo $$ > '" +
           folder +
           "/'$host.pid; "
           "other=nodeA; [ $host = nodeA ] && other=nodeB; waited=0; "
           "until [ -e '" +
           folder +
           "/'$other.pid ]; do "
           "  waited=$((waited + 1)); "
           "  [ $waited -gt 300 ] && { echo \"$other never began\" >&2; exit 255; }; "
           "  sleep 0.01; "
           "done; "
           "printf '" +
           greeting + "'; exec cat >/dev/null";
}

}  // namespace zelkon
