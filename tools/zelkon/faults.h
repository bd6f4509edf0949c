// Fault switches for tests and benchmarks, read from the environment.
//
//   ZELKON_TASK_MIN_SECONDS=s     every task takes at least s seconds (padding with a wait)
//   ZELKON_SLOWNESS=f             every task takes f times its computing time (f >= 1)
//   ZELKON_TASK_HANG=list         listed tasks never finish: no log, semaphore kept (they
//                                 end when the job folder goes, or after an hour)
//   ZELKON_TASK_CRASH=list        listed tasks die after writing their pieces, before their log
//   ZELKON_FAULT_EVERY_ATTEMPT=1  hang or crash on every start of a listed task, and crash
//                                 every assembly of task t, not only the first (a
//                                 "<task name>.fault" or "<task name>.assembly_fault" file
//                                 in the job folder remembers that the first has failed)
//   ZELKON_INIT_ERROR=text        the initialisation reports "Error: text" and fails
//   ZELKON_ASSEMBLE_CRASH=t       the first assembly of task t dies half-way through appending it
//   ZELKON_ASSEMBLE_CRASH=t:logged  ... or after task t's log line, before its merge marker
// A list is task numbers separated by commas, or "all".
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace zelkon_ref {

struct TaskFaults {
    double min_seconds = 0;
    double slowness = 1;
    bool hang = false;
    bool crash = false;
};

struct AssembleCrash {
    long long task = 0;  // 0: no crash
    bool after_log = false;
};

// True when a listed fault is to strike now: on every attempt with
// ZELKON_FAULT_EVERY_ATTEMPT=1, else only on the first, which creates the marker.
bool fault_fires_now(const std::filesystem::path& fault_marker);

// Throws ZelkonError when a switch holds a value it cannot mean.
TaskFaults read_task_faults(long long task, const std::filesystem::path& fault_marker);
std::optional<std::string> read_init_error();
AssembleCrash read_assemble_crash();

// Sleeps while the folder exists, at most an hour: a hung task goes away when its job
// folder does.
void hang_while_exists(const std::filesystem::path& folder);

}  // namespace zelkon_ref
