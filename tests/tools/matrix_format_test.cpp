#include "matrix_format.h"

#include <gtest/gtest.h>

#include <cmath>

#include "error.h"

namespace zelkon_ref {
namespace {

std::vector<float> smooth_row(int n, float scale) {
    std::vector<float> row(n);
    for (int i = 0; i < n; ++i) {
        row[i] = scale / (1.0f + 0.01f * static_cast<float>(i * i));
    }
    return row;
}

std::string piece(uint32_t first, uint32_t last, uint32_t cells) {
    std::string bytes = piece_header({1, first, last, cells});
    for (uint32_t d = first; d <= last; ++d) {
        bytes += encode_row(d, smooth_row(cells, static_cast<float>(d)), 0);
    }
    return bytes;
}

std::string error_of(const std::string& bytes) {
    try {
        check_piece(bytes, "p.zpc");
    } catch (const ZelkonError& e) {
        return e.what();
    }
    return "";
}

// Rows read back exactly (as the assembled matrices show) unless a threshold zeroes small entries.
TEST(ZelkonMatrixFormat, AThresholdZeroesSmallEntries) {
    std::string file =
        matrix_header(5) + encode_row(3, {10.0f, -0.5f, 0.05f, -2.0f, 0.0999f}, 0.01);
    EXPECT_EQ(read_matrix_rows(file, "m")[0].values,
              (std::vector<float>{10.0f, -0.5f, 0.0f, -2.0f, 0.0f}));
}

TEST(ZelkonMatrixFormat, DamagedPiecesAreRefusedWithTheReason) {
    std::string good = piece(5, 9, 64);
    EXPECT_NE(error_of(good.substr(0, good.size() - 3)).find("cut short"), std::string::npos);
    EXPECT_NE(error_of(good + "x").find("after its last row"), std::string::npos);
    EXPECT_NE(error_of("ZLKMATRX" + good.substr(8)).find("piece header"), std::string::npos);
    std::string gap = piece_header({1, 5, 7, 64}) + encode_row(5, smooth_row(64, 1), 0) +
                      encode_row(7, smooth_row(64, 1), 0);
    EXPECT_NE(error_of(gap).find("data point 6 is missing"), std::string::npos);
}

TEST(ZelkonMatrixFormat, DamagedMatrixIsRefused) {
    std::string file = matrix_header(64) + encode_row(1, smooth_row(64, 1), 0);
    file[kMatrixHeaderSize + 12] ^= 0x55;  // inside the compressed stream
    EXPECT_THROW(read_matrix_rows(file, "m"), ZelkonError);
    EXPECT_THROW(read_matrix_rows(file.substr(0, 10), "m"), ZelkonError);
}

}  // namespace
}  // namespace zelkon_ref
