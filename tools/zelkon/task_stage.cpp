#include "task_stage.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <thread>

#include "cluster_job.h"
#include "error.h"
#include "faults.h"
#include "files.h"
#include "matrix_format.h"
#include "row_encoder.h"
#include "text.h"

namespace zelkon_ref {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kUsage =
    "usage: zelkon_cluster_task <job folder><cluster data file> <task> <first data point> "
    "<last data point> [OMP_NUM_THREADS=<threads>]";
constexpr int kMostThreads = 256;

struct TaskRequest {
    fs::path data_file;
    long long task = 0, first = 0, last = 0;
    int threads = 1;
};

std::optional<int> thread_count(const std::string& text) {
    auto n = parse_integer(text);
    if (!n || *n < 1 || *n > kMostThreads) {
        return std::nullopt;
    }
    return static_cast<int>(*n);
}

// Without a count on the command line, the usual environment variable decides, as it
// would for the real program; otherwise one thread.
int default_threads() {
    const char* env = std::getenv("OMP_NUM_THREADS");
    if (env == nullptr) {
        return 1;
    }
    std::optional<int> threads = thread_count(env);
    if (!threads) {
        std::cerr << "zelkon_cluster_task: OMP_NUM_THREADS=\"" << env
                  << "\" is not a thread count from 1 to " << kMostThreads
                  << "; using one thread\n";
    }
    return threads.value_or(1);
}

std::optional<TaskRequest> parse_request(const std::vector<std::string>& args) {
    if (args.size() != 4 && args.size() != 5) {
        return std::nullopt;
    }
    auto task = parse_integer(args[1]);
    auto first = parse_integer(args[2]);
    auto last = parse_integer(args[3]);
    if (!task || !first || !last || *task < 1 || *task > 9999999) {
        return std::nullopt;
    }
    TaskRequest r{args[0], *task, *first, *last, 1};
    const std::string prefix = "OMP_NUM_THREADS=";
    std::optional<int> threads;
    if (args.size() == 5) {
        threads = args[4].rfind(prefix, 0) == 0 ? thread_count(args[4].substr(prefix.size()))
                                                : std::nullopt;
    } else {
        threads = default_threads();
    }
    if (!threads) {
        return std::nullopt;
    }
    r.threads = *threads;
    return r;
}

std::string write_piece(const ClusterJob& job, const TaskRequest& r, size_t component,
                        const fs::path& folder) {
    PieceHeader header{static_cast<uint32_t>(component + 1), static_cast<uint32_t>(r.first),
                       static_cast<uint32_t>(r.last),
                       static_cast<uint32_t>(job.survey.mesh.cells())};
    std::string bytes = piece_header(header);
    encode_rows(job.survey, component, r.first, r.last, r.threads,
                [&bytes](std::string&& record) { bytes += record; });
    std::string name = piece_name(job, r.task, component);
    write_file_atomically(folder / name, bytes);
    return name;
}

void sleep_until(Clock::time_point start, double seconds) {
    std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(
                                              std::chrono::duration<double>(seconds)));
}

std::string fixed(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

int compute(const ClusterJob& job, const TaskRequest& r, const fs::path& folder,
            const std::string& name, std::ostream& out) {
    const long long data = job.survey.stations.count();
    if (r.first < 1 || r.first > r.last || r.last > data) {
        throw ZelkonError("data points " + std::to_string(r.first) + " to " +
                          std::to_string(r.last) + " are not a range within 1 to " +
                          std::to_string(data));
    }
    TaskFaults faults = read_task_faults(r.task, folder / (name + ".fault"));
    if (faults.hang) {
        out << name << ": hanging (ZELKON_TASK_HANG)\n" << std::flush;
        hang_while_exists(folder);
        return 3;
    }
    const Clock::time_point start = Clock::now();
    for (size_t c = 0; c < job.survey.components.size(); ++c) {
        out << "Piece written: " << write_piece(job, r, c, folder) << "\n";
    }
    const double computing = std::chrono::duration<double>(Clock::now() - start).count();
    sleep_until(start, std::max(computing * faults.slowness, faults.min_seconds));
    if (faults.crash) {
        out << name << ": crashing (ZELKON_TASK_CRASH)\n" << std::flush;
        std::_Exit(70);
    }
    const double taken = std::chrono::duration<double>(Clock::now() - start).count();
    const long long evaluations =
        (r.last - r.first + 1) * job.survey.mesh.cells() * job.survey.components.size();
    std::vector<std::string> lines = {
        "Zelkon cluster task " + std::to_string(r.task) + " of job " + std::to_string(job.job_id),
        "Data points: " + std::to_string(r.first) + " to " + std::to_string(r.last),
        "Components: " + std::to_string(job.survey.components.size()),
        "Threads: " + std::to_string(r.threads),
        "Kernel evaluations: " + std::to_string(evaluations),
        "Computing time (s): " + fixed(computing, 3),
        "Clock time taken: " + fixed(taken / 60.0, 6)};
    // The controller takes the task as finished once the semaphore is gone and the log
    // exists, so the log must be complete before the semaphore goes.
    write_file_atomically(folder / (name + ".log"), crlf_lines(lines));
    std::error_code ec;
    if (!fs::remove(folder / (name + ".sem"), ec)) {
        out << "No semaphore file " << name << ".sem to remove\n";
    }
    for (const std::string& line : lines) {
        out << line << "\n";
    }
    return 0;
}

}  // namespace

int run_task(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::optional<TaskRequest> request = parse_request(args);
    if (!request) {
        err << kUsage << "\n";
        return 2;
    }
    ClusterJob job;
    try {
        job = read_cluster_job(request->data_file);
    } catch (const ZelkonError& e) {
        err << "zelkon_cluster_task: Error: " << e.what() << "\n";
        return 1;
    }
    fs::path folder = request->data_file.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    std::string name = task_name(job.job_id, request->task);
    try {
        return compute(job, *request, folder, name, out);
    } catch (const ZelkonError& e) {
        std::string message = "zelkon_cluster_task " + name + ": Error: " + e.what();
        err << message << "\n";
        try {
            write_file_atomically(folder / (name + ".err"), crlf_lines({message}));
        } catch (const ZelkonError&) {
        }
        return 1;
    }
}

}  // namespace zelkon_ref
