#include "controller/Form_zelkon_cluster_controller.h"

namespace zelkon {

void Form_zelkon_cluster_controller::save_cluster_settings(const std::string&) {}

void Form_zelkon_cluster_controller::read_cluster_settings(const std::string&, std::int32_t& ierr) {
    ierr = -1;
}

void Form_zelkon_cluster_controller::menu_read_setup_Click() {}

void Form_zelkon_cluster_controller::menu_save_setup_Click() {}

}  // namespace zelkon
