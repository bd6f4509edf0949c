#pragma once

#include <string>

namespace zelkon {

// The connection test's command: it lists a job folder into the file
// "dir.lst" there. folder ends in "/". A folder with characters that the
// shell would read (a blank, a quote, "$", ";"...) is quoted, so that it
// stays one word and runs nothing.
std::string listing_command(const std::string& folder);

}  // namespace zelkon
