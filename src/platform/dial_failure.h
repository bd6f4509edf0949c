#pragma once

#include <string>

namespace zelkon {

// Whether the reason a pipe to a machine did not open (ssh's or the dial's
// last line) holds for every pipe of that machine: the machine cannot be
// reached or will not let us in, so trying its other pipes would only cost
// the same time-out again. A listener that answered, or a busy pipe, is not.
bool holds_for_whole_machine(const std::string& reason);

}  // namespace zelkon
