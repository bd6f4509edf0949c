#include "engine/prompt_tick.h"

#include <string_view>

namespace zelkon {
namespace {

bool is_semaphore(const std::string& name) {
    constexpr std::string_view kSuffix = ".sem";
    return name.size() > kSuffix.size() &&
           std::string_view(name).substr(name.size() - kSuffix.size()) == kSuffix;
}

}  // namespace

PromptTick::PromptTick(TimerFactory& timers, FolderWatch& folder_watch, Timer& task_timer,
                       std::function<void()> tick)
    : folder_watch_(folder_watch),
      task_timer_(task_timer),
      tick_(std::move(tick)),
      shot_(timers.create_timer()) {
    shot_->set_handler([this] { fire(); });
    shot_->set_interval(0);
}

void PromptTick::follow(const std::string& job_folder, std::int64_t run_start_ms) {
    if (job_folder == followed_ && run_start_ms == followed_run_) {
        return;
    }
    followed_ = job_folder;
    followed_run_ = run_start_ms;
    // Only a task's end removes a semaphore; the files the controller writes
    // itself wake nothing.
    folder_watch_.watch(job_folder, [this](const std::string& name) {
        if (is_semaphore(name)) {
            request();
        }
    });
}

void PromptTick::request() {
    if (task_timer_.enabled()) {
        shot_->set_enabled(true);  // requests before it fires make one tick
    }
}

void PromptTick::stop() {
    shot_->set_enabled(false);
    folder_watch_.stop();
    followed_.clear();
    followed_run_ = -1;
}

void PromptTick::fire() {
    shot_->set_enabled(false);
    // A pause or a stop since the request holds the ticks back.
    if (task_timer_.enabled()) {
        tick_();
    }
}

}  // namespace zelkon
