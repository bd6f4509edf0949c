// The cluster data file and the names of every file the three commands share.
#pragma once

#include <filesystem>
#include <string>

#include "survey.h"

namespace zelkon_ref {

struct ClusterJob {
    long long job_id = 0;
    std::string inversion_folder;
    Survey survey;
};

std::string cluster_data_file_name(long long job_id);  // four-character extension ".zcd"
std::string task_name(long long job_id, long long task);
// The log is named with the job ID as the caller wrote it ("000007" stays
// "000007"), since that is the name the controller looks for.
std::string init_log_name(const std::string& job_text);

// One piece per task and component, in the job folder.
std::string piece_name(const ClusterJob& job, long long task, size_t component);
// "parvex.mtx" for one component, "parvex_<suffix>.mtx" for each of several.
std::string matrix_file_name(const Survey& survey, size_t component);
// The cluster data file name less its last four characters, then "_assembly.dat".
std::string assembly_log_name(const std::string& cluster_data_file);

std::string cluster_job_text(const ClusterJob& job);
ClusterJob read_cluster_job(const std::filesystem::path& path);

}  // namespace zelkon_ref
