#include "controller/Form_zelkon_cluster_controller.h"

namespace zelkon {

void Form_zelkon_cluster_controller::Command_start_cluster_run_Click(int /*Index*/) {}

}  // namespace zelkon
