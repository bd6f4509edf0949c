#pragma once

#include <string>

#include "assembly/assembly_log.h"
#include "controller/form_context.h"
#include "controller/setup_progress.h"

namespace zelkon {

// Stages 12 to 24 of the set-up: the Zelkon initialisation on this
// computer, its log, the offer to continue a matrix, and the division of the
// data into tasks. Each returns false when the set-up stops (its message
// shown) and throws on an unexpected error.
class InitialisationStage : public FormPart {
  public:
    InitialisationStage(FormContext& context, AssemblyLog& assembly_log)
        : FormPart(context), assembly_log_(assembly_log) {}

    bool run_zelkon_init(SetupProgress& setup);
    bool read_init_log(SetupProgress& setup);
    bool check_init_results_and_divide(SetupProgress& setup);

  private:
    bool apply_init_log_line(const std::string& line);
    bool read_component_items(const std::string& value, bool data_types);
    void find_matrix_files(SetupProgress& setup);
    bool offer_to_continue(SetupProgress& setup);
    void determine_data_step(SetupProgress& setup);
    void build_task_table(SetupProgress& setup);
    void mark_assembled_tasks(SetupProgress& setup);
    void divide_data_into_tasks(SetupProgress& setup);

    AssemblyLog& assembly_log_;
};

}  // namespace zelkon
