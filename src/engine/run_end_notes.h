#pragma once

#include <string>
#include <vector>

#include "model/job_settings.h"
#include "platform/file_system.h"

namespace zelkon {

// The run's matrix files that exist: parvex.mtx for one component, else
// parvex_<suffix>.mtx for each, in the inversion folder.
std::vector<std::string> matrix_file_paths(const JobSettings& job, const JobData& data,
                                           const FileSystem& files);

// The command line that continues the run: the same job in the same
// inversion folder, whose start then offers to continue the matrix.
std::string continue_command(const JobSettings& job);

}  // namespace zelkon
