#pragma once

#include <cstdint>
#include <string>

#include "controller/form_context.h"
#include "settings/settings_check.h"

namespace zelkon {

// The settings file and the File menu that reads and saves it.
class SettingsFile : public FormPart {
  public:
    SettingsFile(FormContext& context, SettingsCheck& check)
        : FormPart(context), settings_check_(check) {}

    // Writes the settings file; throws when it cannot be written whole, and
    // then leaves an older file of that name as it was.
    void save_cluster_settings(const std::string& fname);
    void read_cluster_settings(const std::string& fname, std::int32_t& ierr);
    void menu_read_setup_Click();
    void menu_save_setup_Click();

  private:
    SettingsCheck& settings_check_;
};

}  // namespace zelkon
