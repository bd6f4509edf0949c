#include "setup/num_pipes_reply.h"

#include "model/Module_zelkon_cluster.h"

namespace zelkon {

bool listener_serves(const std::string& reply, std::int32_t needed) {
    const std::string key = "Max pipes:";
    std::size_t at = reply.find(key);
    if (reply == "Error" || !reply.starts_with("Server: ") || at == std::string::npos) {
        return false;
    }
    // Blanks after the colon are a separator, not part of the figure; a figure
    // right after the colon keeps all its digits.
    std::string figure = reply.substr(at + key.size());
    return is_numeric(figure) && number_of(figure) >= needed;
}

}  // namespace zelkon
