#include "assembly/assembly.h"

namespace zelkon {

void Assembly::assemble_completed_tasks(std::int32_t& ierr) {
    ierr = 0;
    std::int32_t hung_count = 0;
    hang_check_.check_for_hung_server(hung_count);
}

}  // namespace zelkon
