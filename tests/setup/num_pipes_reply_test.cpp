#include "setup/num_pipes_reply.h"

#include <gtest/gtest.h>

#include <tuple>

namespace zelkon {
namespace {

TEST(NumPipesReply, AcceptsOnlyAServerWithEnoughPipes) {
    const std::tuple<const char*, int, bool> cases[] = {
        {"Server: nodeA Max pipes: 4", 4, true},
        {"Server: nodeA Max pipes: 4", 5, false},
        // The figure right after the colon keeps its first digit.
        {"Server: nodeA Max pipes:12", 4, true},
        {"Server: nodeA Max pipes: ", 0, false},
        {"Server: nodeA Max pipes:x8", 4, false},
        {"Server: nodeA Max pipes: 8 clients", 4, false},
        {"Error", 0, false},
        {"server: nodeA Max pipes: 8", 4, false},
        {"Server: nodeA pipes: 8", 4, false},
        {"", 0, false}};
    for (const auto& [reply, needed, serves] : cases) {
        EXPECT_EQ(listener_serves(reply, needed), serves) << "\"" << reply << "\" for " << needed;
    }
}

}  // namespace
}  // namespace zelkon
