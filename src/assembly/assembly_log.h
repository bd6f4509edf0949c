#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/fixed_ms.h"
#include "model/job_settings.h"
#include "model/run_progress.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"

namespace zelkon {

// Upper index of a fresh in-memory assembly log, and the step it grows by.
inline constexpr std::int32_t kAssemblyLogGrowth = 5120;

// The assembly log of the run: its lines in memory, by task number.
class AssemblyLog {
  public:
    AssemblyLog(const JobData& data, AssemblyProgress& assembly_state, FileSystem& files,
                Dialogs& dialogs)
        : data(data), assembly_state(assembly_state), files(files), dialogs(dialogs) {}
    // Reads the run's assembly log, when there is one; ierr -1 when it
    // cannot be read (its message shown).
    void load_assembly_dat_file(std::int32_t& ierr);

  private:
    void store_assembly_log_line(const std::string& line);

    const JobData& data;
    AssemblyProgress& assembly_state;
    FileSystem& files;
    Dialogs& dialogs;
};

// Decodes one data line of the assembly log by its fixed columns: the task
// number (1-7), first data point (8-15), last data point held (16-23) and,
// for each component c, its matrix size in bytes (12 columns from
// 70 + 25(c - 1)) as megabytes into component_mb[c]. Each output is written
// only when its field is numeric. ierr is 0 when a component size was
// decoded, -1 otherwise. Shows nothing and never throws.
void decode_cluster_assembly_line(const std::string& line, std::int32_t& task_id,
                                  std::int32_t& first_data, std::int32_t& last_data,
                                  std::int32_t num_components,
                                  std::array<double, kMaxComponents + 1>& component_mb,
                                  std::int32_t& ierr);

// The assembly time of a data line (columns 47 to 56, seconds) in
// milliseconds; 0 when the field is not a number above 0. A time beyond
// what the run's sums hold throws the "Overflow" error.
FixedMs assembly_time_of(const std::string& line);

// Columns first..first+width-1 (counted from 1) of a line; what lies beyond
// its end is left out.
std::string columns_of(const std::string& line, std::size_t first, std::size_t width);

}  // namespace zelkon
