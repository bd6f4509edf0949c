#include "apps/controller/progress_line.h"

#include <algorithm>
#include <ostream>

#include "model/Module_zelkon_cluster.h"

namespace zelkon {
namespace {

constexpr int kTerminalIntervalMs = 1000;
constexpr int kFileIntervalMs = 30000;

std::int32_t assembled_tasks(const TaskTable& tasks) {
    std::int32_t assembled = 0;
    for (const ClusterTask& task : tasks.cluster_task) {
        assembled += task.state == TaskState::assembled ? 1 : 0;
    }
    return assembled;
}

std::string caption_or(const std::string& caption, const std::string& otherwise) {
    return caption.empty() ? otherwise : caption;
}

}  // namespace

std::string progress_text(const TaskTable& tasks, const FormControls& controls) {
    std::int32_t total = tasks.cluster_task.size();
    if (total == 0) {
        return "";
    }
    std::int32_t done = tasks.num_tasks_done;
    std::int32_t running = tasks.num_tasks_processing;
    std::int32_t waiting = std::max(0, total - done - running);
    std::int32_t percent = assembled_tasks(tasks) * 100 / total;
    return "Tasks: " + std::to_string(done) + " done, " + std::to_string(running) + " running, " +
           std::to_string(waiting) + " waiting of " + std::to_string(total) + " (" +
           std::to_string(percent) + "% assembled) | elapsed " +
           caption_or(controls.Label_logging_time.caption, "00:00:00") + " | left " +
           caption_or(controls.Label_estimated_time_remaining.caption, "unknown");
}

ProgressLine::ProgressLine(std::ostream& out, bool terminal, int width)
    : out_(out), terminal_(terminal), width_(width > 1 ? static_cast<std::size_t>(width) : 80) {}

int ProgressLine::interval_ms() const {
    return terminal_ ? kTerminalIntervalMs : kFileIntervalMs;
}

void ProgressLine::show(const std::string& text) {
    if (text.empty()) {
        return;
    }
    text_ = text;
    if (!terminal_) {
        out_ << text << '\n' << std::flush;
        return;
    }
    draw(text);
}

void ProgressLine::hide() {
    if (terminal_ && drawn_ > 0) {
        out_ << '\r' << std::string(drawn_, ' ') << '\r' << std::flush;
        drawn_ = 0;
    }
}

void ProgressLine::restore() {
    if (terminal_ && drawn_ == 0 && !text_.empty()) {
        draw(text_);
    }
}

// A line as wide as the terminal would wrap, and "\r" would then return to
// its second half only.
void ProgressLine::draw(const std::string& text) {
    std::string line = text.substr(0, width_ - 1);
    std::size_t blanks = drawn_ > line.size() ? drawn_ - line.size() : 0;
    out_ << '\r' << line << std::string(blanks, ' ');
    if (blanks > 0) {
        out_ << '\r' << line;
    }
    out_ << std::flush;
    drawn_ = line.size();
}

}  // namespace zelkon
