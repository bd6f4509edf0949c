// Byte layout of the matrix files and of the task pieces.
//
// All integers are unsigned 32-bit little-endian.
//   matrix file: "ZLKMATRX", version 1, cells per row; then row records
//   piece file:  "ZLKPIECE", version 1, component (from 1), first datum, last datum,
//                cells per row, 0; then the row records of first..last
//   row record:  datum, stored length n, then n bytes: a zlib stream of the row's
//                float32 values with their bytes regrouped (all first bytes, then all
//                second bytes...), which deflate packs much better than raw floats.
// Every row is compressed on its own, so the bytes of a row never depend on how the
// data were divided into tasks, and appending pieces is a plain copy.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelkon_ref {

inline constexpr size_t kMatrixHeaderSize = 16;
inline constexpr size_t kPieceHeaderSize = 32;

struct PieceHeader {
    uint32_t component = 0;
    uint32_t first = 0;
    uint32_t last = 0;
    uint32_t cells = 0;
};

struct MatrixRow {
    uint32_t datum = 0;
    std::vector<float> values;
};

std::string matrix_header(uint32_t cells);
std::string piece_header(const PieceHeader& header);

// Entries below threshold x the row's largest magnitude are stored as 0.
std::string encode_row(uint32_t datum, std::vector<float> values, double threshold);

// Checks a whole piece: header, consecutive data first..last, and that its records fill
// it exactly. Throws ZelkonError saying what is wrong.
PieceHeader check_piece(const std::string& bytes, const std::string& source);

// Every row of a matrix file, decompressed; throws ZelkonError on any fault.
std::vector<MatrixRow> read_matrix_rows(const std::string& bytes, const std::string& source);

}  // namespace zelkon_ref
