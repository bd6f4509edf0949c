#include "controller/Form_zelkon_cluster_controller.h"

namespace zelkon {

std::vector<std::string> Form_zelkon_cluster_controller::drive_list() const {
    return {"/"};
}

void Form_zelkon_cluster_controller::set_inversion_folder(const std::string& folder) {
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    controls.Dir1 = path;
    controls.Drive1 = "/";
}

void Form_zelkon_cluster_controller::Drive1_Change() {
    controls.Dir1 = controls.Drive1;
}

void Form_zelkon_cluster_controller::Command_set_folder_Click() {}

void Form_zelkon_cluster_controller::Dir1_OLEDragDrop(
    const std::optional<std::vector<std::string>>&) {}

}  // namespace zelkon
