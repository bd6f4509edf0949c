#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelkon {

// Expands a node list in the scheduler's compact form, such as
// "node[01-03,07],gpu5" or "rack[1-2]-n[1-2]", into node names in order.
// Returns "" or what is wrong with the text.
std::string expand_node_list(const std::string& text, std::vector<std::string>& nodes);

// Expands a tasks-per-node list such as "2(x3),1" into one count per node.
// Returns "" or what is wrong with the text.
std::string expand_tasks_per_node(const std::string& text, std::vector<std::int32_t>& counts);

}  // namespace zelkon
