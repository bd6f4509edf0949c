#include "settings/slurm_allocation.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/fake/fake_environment.h"
#include "settings/slurm_servers.h"

namespace zelkon {
namespace {

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : " ") + name;
    }
    return text;
}

// Node lists as the scheduler writes them; "!" starts the expected error.
TEST(SlurmAllocation, NodeListsExpandToTheirNodes) {
    const std::pair<const char*, const char*> cases[] = {
        {"node[01-03,07],gpu5", "node01 node02 node03 node07 gpu5"},
        {"n[098-101]x", "n098x n099x n100x n101x"},
        {"r[1-2]-n[1-2]", "r1-n1 r1-n2 r2-n1 r2-n2"},
        {"a,b[3],c", "a b3 c"},
        {"n[3-1]", "!not a range: \"3-1\""},
        {"n[1-x]", "!not a range: \"1-x\""},
        {"n[1-2", "!a \"[\" without its \"]\""},
        {"n1]", "!a \"]\" without its \"[\""},
        {"a,,b", "!an empty node name"},
        {"n[1-200]m[1-200]", "!more than 10000 nodes"}};
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        std::vector<std::string> nodes;
        std::string error = expand_node_list(text, nodes);
        EXPECT_EQ(error.empty() ? joined(nodes) : "!" + error, expected);
    }
}

TEST(SlurmAllocation, TasksPerNodeExpandToOneCountPerNode) {
    const std::pair<const char*, std::vector<std::int32_t>> cases[] = {
        {"4,2(x3),1", {4, 2, 2, 2, 1}},
        {"2(x3", {}},
        {"(x3)", {}},
        {"2(xa)", {}},
        {"1(x20000)", {}},
    };
    for (const auto& [text, counts] : cases) {
        SCOPED_TRACE(text);
        std::vector<std::int32_t> found;
        std::string error = expand_tasks_per_node(text, found);
        EXPECT_EQ(error.empty(), !counts.empty()) << error;
        EXPECT_EQ(found, counts);
    }
}

// The "slurm" line becomes the allocation's nodes (*) in its place; a bad allocation says why.
TEST(SlurmAllocation, TheSlurmLineStandsForTheNodesOfTheAllocation) {
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"slurm", "n[1-3]", "n1/2/0* n2/2/0* n3/1/0*", ""},
        {"here/2\r\nSlurm/4/3\r\nnodeA", "n[1-3]", "here/2/0 n1/4/3* n2/4/3* n3/4/3* nodeA/1/0",
         ""},
        {"slurms", "n[1-3]", "slurms/1/0", ""},
        {"slurm/5000", "n[1-3]", "",
         "Overflow: the server list gives more than 10000 task servers"},
        {"slurm", "n[1-3", "",
         "The Slurm allocation's node list \"n[1-3\" cannot be read: a \"[\" without its \"]\""},
        {"slurm", "n[1-2]", "",
         "The Slurm allocation's tasks per node \"2(x2),1\" cannot be read: it gives 3 counts "
         "for 2 nodes"},
    };
    for (const auto& [text, nodes, machines, error] : cases) {
        SCOPED_TRACE(text);
        FakeEnvironment environment;
        environment.variables = {{"SLURM_JOB_ID", "42"},
                                 {"SLURM_JOB_NODELIST", nodes},
                                 {"SLURM_TASKS_PER_NODE", "2(x2),1"}};
        ServerList list;
        ASSERT_EQ(decode_server_list(text, list), "");
        EXPECT_EQ(expand_slurm_allocation(list, environment), error);
        std::string found;
        std::int32_t total = 0;
        for (const ServerMachine& machine : list.machines) {
            found += (found.empty() ? "" : " ") + machine.name + "/" +
                     std::to_string(machine.count) + "/" + std::to_string(machine.threads) +
                     (machine.slurm_node ? "*" : "");
            total += machine.count;
        }
        if (*error == '\0') {
            EXPECT_EQ(found, machines);
            EXPECT_EQ(list.num_task_servers, total);
        }
    }
}

}  // namespace
}  // namespace zelkon
