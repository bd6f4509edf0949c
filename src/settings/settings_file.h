#pragma once

#include <cstdint>
#include <string>

#include "model/form_controls.h"
#include "model/job_settings.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/system_info.h"
#include "settings/settings_check.h"

namespace zelkon {

// The settings file and the File menu that reads and saves it.
class SettingsFile {
  public:
    SettingsFile(FormControls& controls, const JobSettings& job, SettingsCheck& check,
                 FileSystem& files, Dialogs& dialogs, CurrentDirectory& current_directory)
        : controls(controls),
          job(job),
          settings_check_(check),
          files(files),
          dialogs(dialogs),
          current_directory(current_directory) {}

    // Writes the settings file; throws when it cannot be written whole, and
    // then leaves an older file of that name as it was.
    void save_cluster_settings(const std::string& fname);
    void read_cluster_settings(const std::string& fname, std::int32_t& ierr);
    void menu_read_setup_Click();
    void menu_save_setup_Click();

  private:
    FormControls& controls;
    const JobSettings& job;
    SettingsCheck& settings_check_;
    FileSystem& files;
    Dialogs& dialogs;
    CurrentDirectory& current_directory;
};

}  // namespace zelkon
