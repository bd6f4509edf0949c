#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/folder_watch.h"

namespace zelkon {

// Brings the task timer's next tick forward when there is work for it: right
// after a tick that collected a finished task (its server is free now), and
// when a task removes its semaphore in a job folder this computer can watch.
// The regular ticks go on as they are; with nothing changing, nothing is
// added to them.
class PromptTick {
  public:
    // tick runs one tick; task_timer is the regular one, whose being enabled
    // (not paused, not stopped) an early tick needs.
    PromptTick(TimerFactory& timers, FolderWatch& folder_watch, Timer& task_timer,
               std::function<void()> tick);

    // Watches the job folder of the run that started at run_start_ms,
    // unless it is watched already (or known not to be watchable). A new
    // run watches afresh: its folder may have been made again.
    void follow(const std::string& job_folder, std::int64_t run_start_ms);
    // Asks for a tick as soon as the event loop is free.
    void request();
    void stop();

  private:
    void fire();

    FolderWatch& folder_watch_;
    Timer& task_timer_;
    std::function<void()> tick_;
    std::unique_ptr<Timer> shot_;
    std::string followed_;
    std::int64_t followed_run_ = -1;
};

}  // namespace zelkon
