#pragma once

#include <string>
#include <vector>

namespace zelkon {

// What the listing says of a program the machine's shell cannot find.
inline const std::string kProgramMissing = "program not found: ";

// The connection test's command: it lists a job folder into the file
// "dir.lst" there, with a line for each of the programs that the shell
// starting the tasks cannot find. folder ends in "/". Every path is one
// word to the shell and runs nothing.
std::string listing_command(const std::string& folder,
                            const std::vector<std::string>& programs = {});

// The programs a listing names as not found, in its order.
std::vector<std::string> missing_programs(const std::vector<std::string>& listing);

}  // namespace zelkon
