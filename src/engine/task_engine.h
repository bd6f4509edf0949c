#pragma once

#include <cstdint>

#include "assembly/assembly.h"
#include "controller/form_context.h"

namespace zelkon {

// The task timer's tick and what it drives: dispatch of waiting tasks,
// completion and hang detection, and the speed ranking.
class TaskEngine : public FormPart, public HungServerCheck {
  public:
    explicit TaskEngine(FormContext& context) : FormPart(context), assembly_(context, *this) {}

    void Timer_cluster_task_Timer();
    void allocate_task_to_server();
    void check_for_completed_tasks();
    void check_for_hung_server(std::int32_t& hung_count) override;
    void update_speed_stats();

    Assembly& assembly() { return assembly_; }

  private:
    Assembly assembly_;
};

}  // namespace zelkon
