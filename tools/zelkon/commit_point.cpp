#include "commit_point.h"

#include "error.h"
#include "files.h"
#include "matrix_format.h"

namespace zelkon_ref {

namespace {

namespace fs = std::filesystem;

// A fresh run deletes the matrix files but not the log: a first batch that finds a log
// without its matrix files keeps that log under a free name rather than lose it.
void set_aside_orphan_log(long long first_task, const AssemblyFiles& p, std::ostream& out) {
    bool matrices_exist = true;
    for (const fs::path& m : p.matrices) {
        matrices_exist = matrices_exist && fs::exists(m);
    }
    if (first_task != 1 || matrices_exist || !fs::exists(p.log)) {
        return;
    }
    for (int n = 1;; ++n) {
        fs::path kept = p.log;
        kept += "." + std::to_string(n);
        if (!fs::exists(kept)) {
            fs::rename(p.log, kept);
            out << "Earlier assembly log kept as " << kept.string() << "\n";
            return;
        }
    }
}

void check_matrices_hold(const AssemblyFiles& p, const CommittedState& state) {
    for (size_t c = 0; c < p.matrices.size(); ++c) {
        if (!fs::exists(p.matrices[c]) || fs::file_size(p.matrices[c]) < state.sizes[c]) {
            throw ZelkonError(p.matrices[c].string() + " is missing or shorter than " +
                              p.log.string() + " records");
        }
    }
}

void start_matrices(long long first_task, const AssemblyFiles& p, uint32_t cells) {
    if (first_task != 1) {
        throw ZelkonError(p.log.string() + " holds no assembled task; the first batch must " +
                          "start at task 1, not " + std::to_string(first_task));
    }
    const std::string header = matrix_header(cells);
    for (const fs::path& m : p.matrices) {
        write_file_atomically(m, header);
    }
}

}  // namespace

CommittedState restore_commit_point(long long first_task, const AssemblyFiles& p, uint32_t cells,
                                    std::ostream& out) {
    set_aside_orphan_log(first_task, p, out);
    CommittedState state = read_committed_state(p.log, p.matrices.size());
    if (fs::exists(p.log) && file_size_or_zero(p.log) > state.whole_lines_bytes) {
        fs::resize_file(p.log, state.whole_lines_bytes);  // drop a line cut short
    }
    if (!state.any) {
        start_matrices(first_task, p, cells);
        return state;
    }
    check_matrices_hold(p, state);
    if (state.task < first_task - 1) {
        throw ZelkonError("task " + std::to_string(state.task + 1) +
                          " is not assembled yet; cannot assemble task " +
                          std::to_string(first_task));
    }
    for (size_t c = 0; c < p.matrices.size(); ++c) {
        fs::resize_file(p.matrices[c], state.sizes[c]);
    }
    return state;
}

}  // namespace zelkon_ref
