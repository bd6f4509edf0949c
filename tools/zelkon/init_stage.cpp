#include "init_stage.h"

#include "cluster_job.h"
#include "error.h"
#include "faults.h"
#include "files.h"
#include "text.h"

namespace zelkon_ref {

namespace {

constexpr const char* kUsage = "usage: zelkon <input file> CLUSTER=<job ID>";

std::optional<long long> job_argument(const std::string& arg) {
    const std::string prefix = "CLUSTER=";
    if (arg.rfind(prefix, 0) != 0) {
        return std::nullopt;
    }
    std::string digits = arg.substr(prefix.size());
    auto job = parse_integer(digits);
    if (!job || *job < 0 || *job > 2147483647 ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return job;
}

std::vector<std::string> report_lines(const ClusterJob& job, const std::string& data_file) {
    const Survey& s = job.survey;
    std::string types, suffixes;
    for (const Component& c : s.components) {
        types += (types.empty() ? "" : " ") + std::to_string(c.type_code);
        suffixes += (suffixes.empty() ? "" : " ") + c.suffix;
    }
    return {"Zelkon cluster initialisation, job " + std::to_string(job.job_id),
            "Number of observed data: " + std::to_string(s.stations.count()),
            "Number of x cells: " + std::to_string(s.mesh.nx),
            "Number of y cells: " + std::to_string(s.mesh.ny),
            "Number of z cells: " + std::to_string(s.mesh.nz),
            "Number of Components: " + std::to_string(s.components.size()),
            "Data type, restart: " + types,
            "Data type: " + suffixes,
            "Cluster File: " + data_file};
}

ClusterJob prepare(const std::filesystem::path& input, long long job_id,
                   const std::filesystem::path& folder) {
    if (auto message = read_init_error()) {
        throw ZelkonError(*message + " (ZELKON_INIT_ERROR is set)");
    }
    if (!std::filesystem::is_regular_file(input)) {
        throw ZelkonError("the input file " + input.string() + " does not exist");
    }
    ClusterJob job;
    job.job_id = job_id;
    job.inversion_folder = std::filesystem::absolute(folder).lexically_normal().string();
    std::string source = input.filename().string();
    job.survey = read_survey(parse_key_values(read_text_file(input), source), source);
    return job;
}

}  // namespace

int run_init(const std::vector<std::string>& args, const std::filesystem::path& folder,
             std::ostream& out, std::ostream& err) {
    std::optional<long long> job_id = args.size() == 2 ? job_argument(args[1]) : std::nullopt;
    if (!job_id) {
        err << kUsage << "\n";
        return 2;
    }
    std::filesystem::path log =
        folder / init_log_name(args[1].substr(std::string("CLUSTER=").size()));
    std::string title = "Zelkon cluster initialisation, job " + std::to_string(*job_id);
    // A log left by an earlier run must not be read as this run's outcome.
    std::error_code ignored;
    std::filesystem::remove(log, ignored);
    try {
        ClusterJob job = prepare(folder / args[0], *job_id, folder);
        std::string data_file = cluster_data_file_name(*job_id);
        write_file_atomically(folder / data_file, cluster_job_text(job));
        std::vector<std::string> lines = report_lines(job, data_file);
        write_file_atomically(log, crlf_lines(lines));
        for (const std::string& line : lines) {
            out << line << "\n";
        }
        return 0;
    } catch (const ZelkonError& e) {
        err << "zelkon: Error: " << e.what() << "\n";
        try {
            write_file_atomically(log, crlf_lines({title, std::string("Error: ") + e.what()}));
        } catch (const ZelkonError& e2) {
            err << "zelkon: " << e2.what() << "\n";
        }
        return 1;
    }
}

}  // namespace zelkon_ref
