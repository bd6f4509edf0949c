#include "settings/server_list.h"

#include <gtest/gtest.h>

namespace zelkon {
namespace {

// Each list decodes to machines written back as name/count/threads; the
// check's own tests cover the refusals.
TEST(ServerList, ListsDecodeToTheirMachines) {
    struct Case {
        const char* text;
        const char* machines;
        std::int32_t task_servers;
        bool duplicate;
    };
    const Case cases[] = {
        {"A/2/4\r\nB/3\r\nC", "A/2/4\r\nB/3/0\r\nC/1/0", 6, false},
        {"A/1/2\r\n A /1/8", "A/2/8", 2, true},  // a repeat raises the threads
        {"A/1/8\r\na/1/2", "A/2/8", 2, true},
        {"A\r\n\r\nB", "A/1/0", 1, false},    // an empty line ends the list
        {"A\r\n/3\r\nB", "A/1/0", 1, false},  // so does an empty name
        {"A/x/-2\r\nB/-1/y\r\nC/2.5/0.4", "A/1/0\r\nB/1/0\r\nC/2/0", 4, false},
        {"Z\r\n  A /2\r\nB/\r\nC/2/3/4", "Z/1/0\r\n  A /2/0\r\nB/1/0\r\nC/2/0", 6, false},
        {"A/2\r\nB\r\n\r\n\r\n", "A/2/0\r\nB/1/0", 3, false},
        {"A\nB\rC", "A/1/0\r\nB/1/0\r\nC/1/0", 3, false},
        {"A/5000\r\nB/5000", "A/5000/0\r\nB/5000/0", 10000, false},
    };
    for (const Case& one : cases) {
        SCOPED_TRACE(one.text);
        ServerList list;
        ASSERT_EQ(decode_server_list(one.text, list), "");
        EXPECT_EQ(canonical_server_list(list.machines), one.machines);
        EXPECT_EQ(list.num_task_servers, one.task_servers);
        EXPECT_EQ(list.duplicate, one.duplicate);
    }
}

}  // namespace
}  // namespace zelkon
