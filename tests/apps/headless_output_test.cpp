// The run log on standard output, the status line on standard error, and
// how the two share one terminal.
#include "apps/controller/headless_output.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace zelkon {
namespace {

// The lines a terminal shows after the text: "\r" returns to the left margin
// and later characters overwrite, "\n" starts the next line.
std::vector<std::string> screen_of(const std::string& text) {
    std::vector<std::string> lines(1);
    std::size_t column = 0;
    for (char c : text) {
        if (c == '\r') {
            column = 0;
        } else if (c == '\n') {
            lines.emplace_back();
            column = 0;
        } else {
            std::string& line = lines.back();
            line.resize(std::max(line.size(), column + 1), ' ');
            line[column++] = c;
        }
    }
    for (std::string& line : lines) {
        line.erase(line.find_last_not_of(' ') + 1);
    }
    return lines;
}

// Leading breaks of a run-log text become lines, whether or not the printer
// closes each text's line at once.
TEST(RunLogPrinting, TurnsLeadingBreaksIntoLines) {
    auto printed = [](bool close_lines, const std::vector<std::string>& texts) {
        std::ostringstream out;
        RunLogPrinter printer(out, close_lines);
        for (const std::string& text : texts) {
            printer.print(text);
        }
        printer.end_line();
        return out.str();
    };
    for (bool close_lines : {false, true}) {
        EXPECT_EQ(printed(close_lines, {"Zelkon Cluster started", "\r\rSet up", "\rCommand: x"}),
                  "Zelkon Cluster started\n\nSet up\nCommand: x\n");
    }
    EXPECT_EQ(printed(true, {"\rA", " and more"}), "\nA\n and more\n");
}

// A run of 100 tasks: 37 computed, 4 running, 30 assembled.
struct RunFigures {
    RunFigures() {
        tasks.cluster_task.assign(100);
        for (std::int32_t t = 1; t <= 30; ++t) {
            tasks.cluster_task[t].state = TaskState::assembled;
        }
        tasks.num_tasks_done = 37;
        tasks.num_tasks_processing = 4;
        controls.Label_logging_time.caption = "00:02:10";
        controls.Label_estimated_time_remaining.caption = "00:05:03";
    }
    TaskTable tasks;
    FormControls controls;
};

// Before the first estimate the time left is unknown; none waits below zero.
TEST(ProgressText, CountsTasksAndShowsTheTimes) {
    RunFigures run;
    EXPECT_EQ(progress_text(run.tasks, run.controls),
              "Tasks: 37 done, 4 running, 59 waiting of 100 (30% assembled) | elapsed 00:02:10 "
              "| left 00:05:03");
    run.controls.Label_logging_time.caption = "";
    run.controls.Label_estimated_time_remaining.caption = "";
    run.tasks.num_tasks_done = 98;
    std::string text = progress_text(run.tasks, run.controls);
    EXPECT_NE(text.find("98 done, 4 running, 0 waiting"), std::string::npos) << text;
    EXPECT_NE(text.find("| elapsed 00:00:00 | left unknown"), std::string::npos) << text;
    EXPECT_EQ(progress_text(TaskTable(), run.controls), "");
}

// On a terminal one line, cut to its width, is rewritten in place; in a file
// each showing adds a line, less often.
TEST(ProgressLine, OnATerminalOneLineIsRewrittenInAFileEachShowingIsALine) {
    std::ostringstream terminal;
    ProgressLine line(terminal, true, 80);
    line.show("first status, long");
    line.show("second");
    EXPECT_EQ(screen_of(terminal.str()), std::vector<std::string>{"second"});
    line.hide();
    EXPECT_EQ(screen_of(terminal.str()), std::vector<std::string>{""});
    line.restore();
    EXPECT_EQ(screen_of(terminal.str()), std::vector<std::string>{"second"});
    EXPECT_EQ(line.interval_ms(), 1000);
    std::ostringstream narrow;
    ProgressLine cut(narrow, true, 6);
    cut.show("abcdefgh");
    EXPECT_EQ(narrow.str(), "\rabcde");
    std::ostringstream file;
    ProgressLine lines(file, false, 0);
    lines.show("one");
    lines.hide();
    lines.restore();
    lines.show("two");
    EXPECT_EQ(file.str(), "one\ntwo\n");
    EXPECT_EQ(lines.interval_ms(), 30000);
}

TEST(HeadlessOutput, OnOneTerminalTheStatusLineStaysBelowTheRunLog) {
    std::ostringstream terminal;
    HeadlessOutput output(terminal, terminal, true, true, 120);
    RunFigures run;
    output.print_run_log("Zelkon Cluster started");
    output.show_progress(run.tasks, run.controls);
    output.print_run_log("\rStart task 1");
    output.print_run_log("\r\rStart task 2");
    std::string status = progress_text(run.tasks, run.controls);
    EXPECT_EQ(screen_of(terminal.str()),
              (std::vector<std::string>{"Zelkon Cluster started", "Start task 1", "",
                                        "Start task 2", status}));
    output.end_line();
    EXPECT_EQ(screen_of(terminal.str()).back(), "");
}

}  // namespace
}  // namespace zelkon
