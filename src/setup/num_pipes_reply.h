#pragma once

#include <cstdint>
#include <string>

namespace zelkon {

// Whether a listener's reply to "Num pipes:" accepts a machine that needs
// `needed` connections: not "Error", beginning "Server: ", and holding
// "Max pipes:" followed by a number of at least `needed` that ends the reply.
bool listener_serves(const std::string& reply, std::int32_t needed);

}  // namespace zelkon
