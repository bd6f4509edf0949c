#include "controller/Form_zelkon_cluster_controller.h"

namespace zelkon {

void Form_zelkon_cluster_controller::check_cluster_settings(std::int32_t& ierr) {
    ierr = -1;
}

}  // namespace zelkon
