#include "setup/num_pipes_reply.h"

#include <gtest/gtest.h>

namespace zelkon {
namespace {

struct ReplyCase {
    const char* reply;
    int needed;
    bool serves;
};

TEST(NumPipesReply, AcceptsOnlyAServerWithEnoughPipes) {
    const ReplyCase cases[] = {{"Server: nodeA Max pipes: 4", 4, true},
                               {"Server: nodeA Max pipes: 4", 5, false},
                               {"Server: nodeA Max pipes: 12", 4, true},
                               // The figure right after the colon keeps its first digit.
                               {"Server: nodeA Max pipes:12", 4, true},
                               {"Server: nodeA Max pipes:8", 4, true},
                               {"Server: nodeA Max pipes:", 0, false},
                               {"Server: nodeA Max pipes: ", 0, false},
                               {"Server: nodeA Max pipes:x8", 4, false},
                               {"Server: nodeA Max pipes: 8 clients", 4, false},
                               {"Error", 0, false},
                               {"Error: the request is not UTF-16LE text", 0, false},
                               {"server: nodeA Max pipes: 8", 4, false},
                               {"Node: nodeA Max pipes: 8", 4, false},
                               {"Server: nodeA pipes: 8", 4, false},
                               {"", 0, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(listener_serves(c.reply, c.needed), c.serves)
            << "\"" << c.reply << "\" for " << c.needed;
    }
}

}  // namespace
}  // namespace zelkon
