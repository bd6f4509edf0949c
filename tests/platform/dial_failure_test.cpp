#include "platform/dial_failure.h"

#include <gtest/gtest.h>

namespace zelkon {
namespace {

TEST(DialFailure, OnlyAMachineThatCannotBeReachedOrRefusesUsFailsAsAWhole) {
    const std::pair<const char*, bool> cases[] = {
        {"ssh: connect to host 10.255.255.1 port 22: No route to host", true},
        {"ssh: connect to host 10.255.255.1 port 22: Network is unreachable", true},
        {"ssh: Could not resolve hostname deadhost: Name or service not known", true},
        {"ssh: Could not resolve hostname deadhost: Temporary failure in name resolution", true},
        {"ssh: connect to host nodeb port 22: Connection refused", true},
        {"ssh: connect to host 10.255.255.1 port 22: Connection timed out", true},
        {"Connection to 10.255.255.1 port 22 timed out", true},
        {"user@nodeb: Permission denied (publickey,password).", true},
        {"Host key verification failed.", true},
        // The machine answered: its pipes may still open one by one.
        {"zelkon-listener: --dial: no listener on pipe \"Zelkon_Server\" "
         "(/run/user/1000/piperpc/Zelkon_Server): No such file or directory",
         false},
        {"kex_exchange_identification: read: Connection reset by peer", false},
        {"Connection closed by 127.0.0.1 port 22", false},
        {"", false},
    };
    for (const auto& [reason, machine_wide] : cases) {
        EXPECT_EQ(holds_for_whole_machine(reason), machine_wide) << reason;
    }
}

}  // namespace
}  // namespace zelkon
