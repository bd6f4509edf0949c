#include "settings/server_list.h"

#include <gtest/gtest.h>

#include "platform/error.h"

namespace zelkon {
namespace {

ServerList decoded(const std::string& text) {
    ServerList list;
    EXPECT_EQ(decode_server_list(text, list), "") << text;
    return list;
}

std::string refusal(const std::string& text) {
    ServerList list;
    return decode_server_list(text, list);
}

TEST(ServerList, NameCountAndThreads) {
    ServerList list = decoded("A/2/4\r\nB/3\r\nC");
    ASSERT_EQ(list.machines.size(), 3u);
    EXPECT_EQ(list.machines[0].count, 2);
    EXPECT_EQ(list.machines[0].threads, 4);
    EXPECT_EQ(list.machines[1].count, 3);
    EXPECT_EQ(list.machines[1].threads, 0);
    EXPECT_EQ(list.machines[2].count, 1);
    EXPECT_EQ(list.num_task_servers, 6);
    EXPECT_FALSE(list.duplicate);
}

TEST(ServerList, ARepeatWithMoreThreadsRaisesThem) {
    ServerList list = decoded("A/1/2\r\n A /1/8");
    ASSERT_EQ(list.machines.size(), 1u);
    EXPECT_EQ(list.machines[0].count, 2);
    EXPECT_EQ(list.machines[0].threads, 8);
}

TEST(ServerList, AnEmptyLineEndsTheList) {
    ServerList list = decoded("A\r\n\r\nB");
    ASSERT_EQ(list.machines.size(), 1u);
    EXPECT_EQ(list.machines[0].name, "A");
}

TEST(ServerList, AnEmptyNameEndsTheListAtThatLine) {
    ServerList list = decoded("A\r\n/3\r\nB");
    ASSERT_EQ(list.machines.size(), 1u);
    EXPECT_EQ(refusal("/3\r\nB"), "No server names have been decoded from the list");
}

TEST(ServerList, BadCountsAndThreadsKeepTheDefaults) {
    ServerList list = decoded("A/x/-2\r\nB/-1/y\r\nC/2.5/0.4");
    EXPECT_EQ(list.machines[0].count, 1);
    EXPECT_EQ(list.machines[0].threads, 0);
    EXPECT_EQ(list.machines[1].count, 1);
    EXPECT_EQ(list.machines[1].threads, 0);
    EXPECT_EQ(list.machines[2].count, 2);  // halves go to the even neighbour
    EXPECT_EQ(list.machines[2].threads, 0);
}

TEST(ServerList, ANameWithASlashIsKeptAsWritten) {
    ServerList list = decoded("Z\r\n  A /2\r\nB/\r\nC/2/3/4");
    list.machines.erase(list.machines.begin());
    EXPECT_EQ(list.machines[0].name, "  A ");
    EXPECT_EQ(list.machines[0].count, 2);
    EXPECT_EQ(list.machines[1].count, 1);
    EXPECT_EQ(list.machines[2].count, 2);
    EXPECT_EQ(list.machines[2].threads, 0);  // "3/4" is no number
}

TEST(ServerList, TrailingEmptyLinesChangeNothing) {
    ServerList plain = decoded("A/2\r\nB");
    ServerList trailing = decoded("A/2\r\nB\r\n\r\n\r\n");
    ASSERT_EQ(trailing.machines.size(), plain.machines.size());
    EXPECT_EQ(trailing.num_task_servers, plain.num_task_servers);
}

TEST(ServerList, LinuxLineEndsSplitToo) {
    ServerList list = decoded("A\nB\rC");
    EXPECT_EQ(list.machines.size(), 3u);
}

TEST(ServerList, ABlankFirstLineDecodesNothing) {
    EXPECT_EQ(refusal("\r\nA"), "No server names have been decoded from the list");
}

TEST(ServerList, ACountTooLargeForThirtyTwoBitsIsAnOverflow) {
    ServerList list;
    EXPECT_THROW(decode_server_list("A/1e20", list), ZelkonError);
    EXPECT_THROW(decode_server_list("A/1/1e400", list), ZelkonError);
}

TEST(ServerList, TooManyTaskServersIsRefusedBeforeAnyTableIsMade) {
    ServerList list;
    EXPECT_THROW(decode_server_list("A/2000000000", list), ZelkonError);
    EXPECT_THROW(decode_server_list("A/2147483647\r\nA", list), ZelkonError);
    EXPECT_THROW(decode_server_list("A/6000\r\nB/6000", list), ZelkonError);
    EXPECT_EQ(decode_server_list("A/5000\r\nB/5000", list), "");
}

}  // namespace
}  // namespace zelkon
