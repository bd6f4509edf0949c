#include "settings/server_list.h"

#include <gtest/gtest.h>

#include <tuple>

namespace zelkon {
namespace {

// Each list decodes to machines written back as name/count/threads.
TEST(ServerList, ListsDecodeToTheirMachines) {
    // Text, machines as written back, task servers, whether a machine repeats.
    const std::tuple<const char*, const char*, std::int32_t, bool> cases[] = {
        {"A/2/4\r\nB/3\r\nC", "A/2/4\r\nB/3/0\r\nC/1/0", 6, false},
        {"A/1/2\r\n A /1/8", "A/2/8", 2, true},  // a repeat raises the threads
        {"A\r\n\r\nB", "A/1/0", 1, false},       // an empty line ends the list
        {"A\r\n/3\r\nB", "A/1/0", 1, false},     // so does an empty name
        {"A/x/-2\r\nB/-1/y\r\nC/2.5/0.4", "A/1/0\r\nB/1/0\r\nC/2/0", 4, false},
        {"Z\r\n  A /2\r\nB/\r\nC/2/3/4", "Z/1/0\r\n  A /2/0\r\nB/1/0\r\nC/2/0", 6, false},
        {"A\nB\rC", "A/1/0\r\nB/1/0\r\nC/1/0", 3, false},
        {"A/5000\r\nB/5000", "A/5000/0\r\nB/5000/0", 10000, false},
    };
    for (const auto& [text, machines, task_servers, duplicate] : cases) {
        SCOPED_TRACE(text);
        ServerList list;
        ASSERT_EQ(decode_server_list(text, list), "");
        EXPECT_EQ(
            std::tuple(canonical_server_list(list.machines), list.num_task_servers, list.duplicate),
            std::tuple(machines, task_servers, duplicate));
    }
}

}  // namespace
}  // namespace zelkon
