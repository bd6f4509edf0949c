#pragma once

#include <cstdint>

#include "controller/form_context.h"

namespace zelkon {

// Checks the form's settings and builds the machine and task-server tables.
class SettingsCheck : public FormPart {
  public:
    explicit SettingsCheck(FormContext& context) : FormPart(context) {}
    // ierr 0 when every setting is valid; otherwise its message was shown.
    void check_cluster_settings(std::int32_t& ierr);
};

}  // namespace zelkon
