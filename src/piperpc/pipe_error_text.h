#pragma once

#include <string>

namespace zelkon {

// A few words on a pipe error code, for messages to a person.
std::string pipe_error_text(int code);

// The code at the end of a raised pipe error's text ("... System error 231"),
// or 0 when there is none.
int trailing_error_code(const std::string& description);

}  // namespace zelkon
