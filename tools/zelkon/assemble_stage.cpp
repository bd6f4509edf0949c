#include "assemble_stage.h"

#include <chrono>
#include <cstdlib>
#include <ctime>

#include "assembly_log.h"
#include "cluster_job.h"
#include "commit_point.h"
#include "error.h"
#include "faults.h"
#include "files.h"
#include "matrix_format.h"
#include "text.h"

namespace zelkon_ref {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: zelkon_cluster_assemble <job folder><cluster data file> <first task> "
    "<server label> [<task count>]";

struct Batch {
    fs::path data_file;
    long long first_task = 0;
    long long count = 1;
    std::string server_label;
};

std::optional<Batch> parse_batch(const std::vector<std::string>& args) {
    if (args.size() != 3 && args.size() != 4) {
        return std::nullopt;
    }
    auto first = parse_integer(args[1]);
    auto count = args.size() == 4 ? parse_integer(args[3]) : std::optional<long long>(1);
    if (!first || !count || *first < 1 || *count < 1 || *first + *count - 1 > 9999999 ||
        trim(args[2]).empty()) {
        return std::nullopt;
    }
    return Batch{args[0], *first, *count, trim(args[2])};
}

std::string time_of_day() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[16];
    std::strftime(buffer, sizeof buffer, "%H:%M:%S", &local);
    return buffer;
}

struct Piece {
    PieceHeader header;
    std::string bytes;
};

Piece read_piece(const ClusterJob& job, const AssemblyFiles& p, long long task, size_t c,
                 long long expected_first) {
    fs::path path = p.job_folder / piece_name(job, task, c);
    if (!fs::exists(path)) {
        throw ZelkonError("the piece " + path.string() + " of task " + std::to_string(task) +
                          " does not exist");
    }
    Piece piece{{}, read_text_file(path)};
    piece.header = check_piece(piece.bytes, path.string());
    if (piece.header.component != c + 1 || piece.header.cells != job.survey.mesh.cells()) {
        throw ZelkonError(path.string() + " belongs to another component or mesh");
    }
    if (piece.header.first != expected_first) {
        throw ZelkonError(
            path.string() + " starts at data point " + std::to_string(piece.header.first) +
            " but the matrix ends at data point " + std::to_string(expected_first - 1));
    }
    return piece;
}

// Every piece is read and checked before the first byte is appended.
std::vector<Piece> read_pieces(const ClusterJob& job, const AssemblyFiles& p, long long task,
                               long long expected_first) {
    std::vector<Piece> pieces;
    for (size_t c = 0; c < p.matrices.size(); ++c) {
        pieces.push_back(read_piece(job, p, task, c, expected_first));
        if (pieces[c].header.last != pieces[0].header.last) {
            throw ZelkonError("the pieces of task " + std::to_string(task) +
                              " cover different data points");
        }
    }
    return pieces;
}

AssemblyLine merge_task(const ClusterJob& job, const AssemblyFiles& p, const Batch& b,
                        long long task, const CommittedState& state, bool crash_midway) {
    const auto start = std::chrono::steady_clock::now();
    const std::vector<Piece> pieces = read_pieces(job, p, task, state.last + 1);
    const long long last = pieces[0].header.last;
    AssemblyLine line{task, state.last + 1, last, last - state.last, 0, time_of_day(), {},
                      {},   b.server_label};
    const double row_bytes = 4.0 * static_cast<double>(job.survey.mesh.cells());
    for (size_t c = 0; c < pieces.size(); ++c) {
        std::string body = pieces[c].bytes.substr(kPieceHeaderSize);
        if (crash_midway) {
            append_durably(p.matrices[c], body.substr(0, body.size() / 2));
            std::_Exit(71);
        }
        append_durably(p.matrices[c], body);
        std::uint64_t size = fs::file_size(p.matrices[c]);
        line.sizes.push_back(size);
        line.ratios.push_back(static_cast<double>(last) * row_bytes / static_cast<double>(size));
    }
    line.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return line;
}

void commit(const AssemblyFiles& p, const ClusterJob& job, const AssemblyLine& line) {
    std::string text;
    if (file_size_or_zero(p.log) == 0) {
        text = assembly_log_header(job.survey) + "\r\n";
    }
    append_durably(p.log, text + format_assembly_line(line) + "\r\n");
}

int assemble(const Batch& b, const fs::path& folder, std::ostream& out) {
    ClusterJob job = read_cluster_job(b.data_file);
    AssemblyFiles p;
    p.job_folder = b.data_file.parent_path().empty() ? fs::path(".") : b.data_file.parent_path();
    p.log = folder / assembly_log_name(b.data_file.filename().string());
    for (size_t c = 0; c < job.survey.components.size(); ++c) {
        p.matrices.push_back(folder / matrix_file_name(job.survey, c));
    }
    AssembleCrash crash = read_assemble_crash();
    FolderLock lock(folder);
    CommittedState state =
        restore_commit_point(b.first_task, p, static_cast<uint32_t>(job.survey.mesh.cells()), out);
    for (long long task = b.first_task; task < b.first_task + b.count; ++task) {
        if (task > state.task) {
            // Only the first assembly of the task crashes, unless every attempt is to.
            bool crash_here =
                crash.task == task &&
                fault_fires_now(p.job_folder / (task_name(job.job_id, task) + ".assembly_fault"));
            AssemblyLine line = merge_task(job, p, b, task, state, crash_here && !crash.after_log);
            commit(p, job, line);
            state.task = task;
            state.last = line.last;
            state.sizes = line.sizes;
            out << format_assembly_line(line) << "\n" << std::flush;
            if (crash_here) {
                std::_Exit(72);
            }
        }
        touch_file(p.job_folder / (task_name(job.job_id, task) + ".old"));
    }
    return 0;
}

}  // namespace

int run_assemble(const std::vector<std::string>& args, const fs::path& folder, std::ostream& out,
                 std::ostream& err) {
    std::optional<Batch> batch = parse_batch(args);
    if (!batch) {
        err << kUsage << "\n";
        return 2;
    }
    std::string message;
    try {
        return assemble(*batch, folder, out);
    } catch (const ZelkonError& e) {
        message = e.what();
    } catch (const fs::filesystem_error& e) {
        message = e.what();
    }
    message = "zelkon_cluster_assemble: Error: " + message;
    err << message << "\n";
    // The controller starts the assembly with no terminal, so the reason goes to a file too.
    std::string log_name = assembly_log_name(batch->data_file.filename().string());
    fs::path error_file = folder / (log_name.substr(0, log_name.size() - 4) + ".err");
    try {
        append_durably(error_file, time_of_day() + " " + message + "\r\n");
    } catch (const ZelkonError&) {
    }
    return 1;
}

}  // namespace zelkon_ref
