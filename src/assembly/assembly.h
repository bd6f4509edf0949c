#pragma once

#include <cstdint>

#include "controller/form_context.h"

namespace zelkon {

// The hang check that the assembly runs on each of its passes; the task
// engine provides it.
class HungServerCheck {
  public:
    virtual ~HungServerCheck() = default;
    virtual void check_for_hung_server(std::int32_t& hung_count) = 0;
};

// Merges completed tasks into the matrix files in batches, follows the
// assembly's progress and refreshes the run estimates.
class Assembly : public FormPart {
  public:
    Assembly(FormContext& context, HungServerCheck& hang_check)
        : FormPart(context), hang_check_(hang_check) {}

    // ierr 0, or 1 when completed tasks wait for a larger batch.
    void assemble_completed_tasks(std::int32_t& ierr);

  private:
    HungServerCheck& hang_check_;
};

}  // namespace zelkon
