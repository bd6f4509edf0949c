#include "matrix_check.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "error.h"
#include "files.h"
#include "matrix_format.h"

namespace zelkon_ref {

namespace {

std::string summary(const std::string& path) {
    const std::string bytes = read_text_file(path);
    const std::vector<MatrixRow> rows = read_matrix_rows(bytes, path);
    float low = std::numeric_limits<float>::max();
    float high = std::numeric_limits<float>::lowest();
    size_t cells = 0, zeros = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].datum != i + 1) {
            throw ZelkonError(path + ": row " + std::to_string(i + 1) + " holds data point " +
                              std::to_string(rows[i].datum));
        }
        cells = rows[i].values.size();
        for (float v : rows[i].values) {
            low = std::min(low, v);
            high = std::max(high, v);
            zeros += v == 0 ? 1 : 0;
        }
    }
    if (cells == 0 || rows.empty()) {
        low = high = 0;
    }
    const double raw = 4.0 * static_cast<double>(cells) * static_cast<double>(rows.size());
    char buffer[512];
    std::snprintf(buffer, sizeof buffer,
                  "%s: %zu rows of %zu cells, values %.6g to %.6g, %zu zeros, %zu bytes "
                  "(compression %.3f)",
                  path.c_str(), rows.size(), cells, static_cast<double>(low),
                  static_cast<double>(high), zeros, bytes.size(),
                  raw / static_cast<double>(bytes.size()));
    return buffer;
}

}  // namespace

int run_matrix_check(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << "usage: zelkon_matrix_check <matrix file>...\n";
        return 2;
    }
    int code = 0;
    for (const std::string& path : args) {
        try {
            out << summary(path) << "\n";
        } catch (const ZelkonError& e) {
            err << "zelkon_matrix_check: Error: " << e.what() << "\n";
            code = 1;
        }
    }
    return code;
}

}  // namespace zelkon_ref
