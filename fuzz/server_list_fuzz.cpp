// The server list a user types or a settings file brings.
#include "fuzz_support.h"
#include "platform/error.h"
#include "settings/server_list.h"

using namespace zelkon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ServerList list;
    try {
        if (!decode_server_list(fuzz::text_of(data, size), list).empty()) {
            return 0;
        }
    } catch (const ZelkonError&) {
        return 0;  // a number that does not fit: the check shows it
    }
    fuzz::require(list.num_task_servers >= 1 && list.num_task_servers <= kMaxTaskServers,
                  "an accepted list gives 1 to kMaxTaskServers task servers");
    for (const auto& machine : list.machines) {
        fuzz::require(!machine.name.empty() && machine.count >= 0 && machine.threads >= 0,
                      "every machine has a name and counts of 0 or more");
    }
    if (list.duplicate) {
        // The check writes this text back into the form; it must decode alike.
        ServerList again;
        fuzz::require(decode_server_list(canonical_server_list(list.machines), again).empty() &&
                          again.num_task_servers == list.num_task_servers,
                      "the rewritten list gives the same task servers");
    }
    return 0;
}
