#include "cluster_job.h"

#include "error.h"
#include "files.h"
#include "text.h"

namespace zelkon_ref {

namespace {

constexpr const char* kFormat = "zelkon-cluster-data 1";

}  // namespace

std::string cluster_data_file_name(long long job_id) {
    return "zelkon_cluster_" + std::to_string(job_id) + ".zcd";
}

std::string task_name(long long job_id, long long task) {
    return "Zelkon_job_" + six_digits(job_id) + "_task_" + six_digits(task);
}

std::string init_log_name(const std::string& job_text) {
    return "zelkon_cluster_init_" + job_text + ".log";
}

std::string piece_name(const ClusterJob& job, long long task, size_t component) {
    std::string name = task_name(job.job_id, task);
    if (job.survey.components.size() > 1) {
        name += "_" + job.survey.components[component].suffix;
    }
    return name + ".zpc";
}

std::string matrix_file_name(const Survey& survey, size_t component) {
    if (survey.components.size() == 1) {
        return "parvex.mtx";
    }
    return "parvex_" + survey.components[component].suffix + ".mtx";
}

std::string assembly_log_name(const std::string& cluster_data_file) {
    std::string stem = cluster_data_file.size() > 4
                           ? cluster_data_file.substr(0, cluster_data_file.size() - 4)
                           : cluster_data_file;
    return stem + "_assembly.dat";
}

std::string cluster_job_text(const ClusterJob& job) {
    return std::string("format = ") + kFormat + "\njob = " + std::to_string(job.job_id) +
           "\ninversion_folder = " + job.inversion_folder + "\n" + survey_text(job.survey);
}

ClusterJob read_cluster_job(const std::filesystem::path& path) {
    std::string source = path.string();
    std::vector<KeyValue> entries = parse_key_values(read_text_file(path), source);
    ClusterJob job;
    bool format_ok = false;
    bool have_job = false;
    std::vector<KeyValue> rest;
    for (const KeyValue& e : entries) {
        if (e.key == "format") {
            format_ok = e.value == kFormat;
        } else if (e.key == "job") {
            auto id = parse_integer(e.value);
            have_job = id && *id >= 0 && *id <= 2147483647;
            job.job_id = have_job ? *id : 0;
        } else if (e.key == "inversion_folder") {
            job.inversion_folder = e.value;
        } else {
            rest.push_back(e);
        }
    }
    if (!format_ok || !have_job) {
        throw ZelkonError(source + " is not a cluster data file of this program");
    }
    job.survey = read_survey(rest, source);
    return job;
}

}  // namespace zelkon_ref
