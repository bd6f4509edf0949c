#include <exception>

#include "platform/error.h"
#include "settings/settings_file.h"
#include "settings/settings_paths.h"

namespace zelkon {
namespace {

const char* const kSetupFilter = "Setup Files (*.inp)|*.inp|All files (*.*)|*.*";

// Goes back to the folder that was current before a dialog. A folder that has
// gone meanwhile is no reason to stop: the program keeps its present one.
void restore_current_directory(CurrentDirectory& current, const std::string& remembered) {
    if (!remembered.empty()) {
        current.set(remembered);
    }
}

}  // namespace

void SettingsFile::menu_read_setup_Click() {
    std::string remembered = current_directory.get();
    auto chosen = dialogs.choose_file_to_open("Select the parameter file to read", kSetupFilter);
    if (chosen && !chosen->empty()) {
        std::int32_t ierr = 0;
        read_cluster_settings(*chosen, ierr);
        if (ierr == 0) {
            dialogs.message("The definitions have been loaded");
        }
    }
    restore_current_directory(current_directory, remembered);
}

void SettingsFile::menu_save_setup_Click() {
    std::int32_t ierr = 0;
    settings_check_.check_cluster_settings(ierr);
    if (ierr != 0) {
        return;
    }
    std::string remembered = current_directory.get();
    auto chosen =
        dialogs.choose_file_to_save("Select the parameter file to create", kSetupFilter, "inp");
    if (chosen && !chosen->empty()) {
        std::string path = with_default_extension(*chosen, "inp");
        bool overwrite = !files.file_exists(path) ||
                         dialogs.ask_yes_no("That file already, exists, overwrite?", false);
        try {
            if (overwrite) {
                save_cluster_settings(path);
            }
        } catch (const std::exception& error) {
            dialogs.warning("An error occurred while saving the settings: " +
                            error_description(error));
        }
    }
    restore_current_directory(current_directory, remembered);
}

}  // namespace zelkon
