#include "matrix_format.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "error.h"

namespace zelkon_ref {

namespace {

constexpr char kMatrixMagic[] = "ZLKMATRX";
constexpr char kPieceMagic[] = "ZLKPIECE";

void put_u32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
    }
}

uint32_t get_u32(const std::string& in, size_t at) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
    }
    return value;
}

void apply_threshold(std::vector<float>& values, double threshold) {
    if (threshold <= 0) {
        return;
    }
    float largest = 0;
    for (float v : values) {
        largest = std::max(largest, std::fabs(v));
    }
    const double limit = threshold * largest;
    for (float& v : values) {
        if (std::fabs(v) < limit) {
            v = 0;
        }
    }
}

std::string shuffled_bytes(const std::vector<float>& values) {
    const size_t n = values.size();
    std::string out(n * 4, '\0');
    for (size_t i = 0; i < n; ++i) {
        uint32_t bits;
        std::memcpy(&bits, &values[i], 4);
        for (size_t b = 0; b < 4; ++b) {
            out[b * n + i] = static_cast<char>((bits >> (8 * b)) & 0xff);
        }
    }
    return out;
}

std::vector<float> unshuffled_values(const std::string& bytes) {
    const size_t n = bytes.size() / 4;
    std::vector<float> values(n);
    for (size_t i = 0; i < n; ++i) {
        uint32_t bits = 0;
        for (size_t b = 0; b < 4; ++b) {
            bits |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[b * n + i])) << (8 * b);
        }
        std::memcpy(&values[i], &bits, 4);
    }
    return values;
}

[[noreturn]] void corrupt(const std::string& source, const std::string& what) {
    throw ZelkonError(source + " is damaged: " + what);
}

std::vector<float> inflate_row(const std::string& bytes, size_t at, uint32_t stored, uint32_t cells,
                               const std::string& source) {
    std::string raw(static_cast<size_t>(cells) * 4, '\0');
    uLongf length = static_cast<uLongf>(raw.size());
    int status = uncompress(reinterpret_cast<Bytef*>(raw.data()), &length,
                            reinterpret_cast<const Bytef*>(bytes.data() + at), stored);
    if (status != Z_OK || length != raw.size()) {
        corrupt(source, "a row does not decompress to " + std::to_string(cells) + " values");
    }
    return unshuffled_values(raw);
}

// Run-length matching only: on regrouped float bytes it packs nearly as well as full
// deflate at about a third of the time, and the rows of zeros a threshold makes cost
// next to nothing.
std::string deflate_row(const std::string& raw) {
    z_stream z{};
    if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 8, Z_RLE) != Z_OK) {
        throw ZelkonError("zlib could not start compressing a matrix row");
    }
    std::string packed(deflateBound(&z, static_cast<uLong>(raw.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
    z.avail_in = static_cast<uInt>(raw.size());
    z.next_out = reinterpret_cast<Bytef*>(packed.data());
    z.avail_out = static_cast<uInt>(packed.size());
    int status = deflate(&z, Z_FINISH);
    packed.resize(z.total_out);
    deflateEnd(&z);
    if (status != Z_STREAM_END) {
        throw ZelkonError("zlib could not compress a matrix row");
    }
    return packed;
}

}  // namespace

std::string matrix_header(uint32_t cells) {
    std::string out(kMatrixMagic, 8);
    put_u32(out, 1);
    put_u32(out, cells);
    return out;
}

std::string piece_header(const PieceHeader& h) {
    std::string out(kPieceMagic, 8);
    for (uint32_t v : {1u, h.component, h.first, h.last, h.cells, 0u}) {
        put_u32(out, v);
    }
    return out;
}

std::string encode_row(uint32_t datum, std::vector<float> values, double threshold) {
    apply_threshold(values, threshold);
    std::string packed = deflate_row(shuffled_bytes(values));
    std::string record;
    record.reserve(8 + packed.size());
    put_u32(record, datum);
    put_u32(record, static_cast<uint32_t>(packed.size()));
    return record + packed;
}

PieceHeader check_piece(const std::string& bytes, const std::string& source) {
    if (bytes.size() < kPieceHeaderSize || bytes.compare(0, 8, kPieceMagic) != 0 ||
        get_u32(bytes, 8) != 1) {
        corrupt(source, "it does not start with a piece header");
    }
    PieceHeader h{get_u32(bytes, 12), get_u32(bytes, 16), get_u32(bytes, 20), get_u32(bytes, 24)};
    if (h.first < 1 || h.first > h.last) {
        corrupt(source, "its data range is empty");
    }
    size_t at = kPieceHeaderSize;
    for (uint64_t datum = h.first; datum <= h.last; ++datum) {
        if (bytes.size() - at < 8 || get_u32(bytes, at) != datum) {
            corrupt(source, "the row of data point " + std::to_string(datum) + " is missing");
        }
        uint64_t stored = get_u32(bytes, at + 4);
        if (bytes.size() - at - 8 < stored) {
            corrupt(source, "the row of data point " + std::to_string(datum) + " is cut short");
        }
        at += 8 + stored;
    }
    if (at != bytes.size()) {
        corrupt(source, "it holds bytes after its last row");
    }
    return h;
}

std::vector<MatrixRow> read_matrix_rows(const std::string& bytes, const std::string& source) {
    if (bytes.size() < kMatrixHeaderSize || bytes.compare(0, 8, kMatrixMagic) != 0 ||
        get_u32(bytes, 8) != 1) {
        corrupt(source, "it does not start with a matrix header");
    }
    const uint32_t cells = get_u32(bytes, 12);
    std::vector<MatrixRow> rows;
    size_t at = kMatrixHeaderSize;
    while (at < bytes.size()) {
        if (bytes.size() - at < 8) {
            corrupt(source, "its last row record is cut short");
        }
        uint32_t datum = get_u32(bytes, at);
        uint32_t stored = get_u32(bytes, at + 4);
        if (bytes.size() - at - 8 < stored) {
            corrupt(source, "the row of data point " + std::to_string(datum) + " is cut short");
        }
        rows.push_back({datum, inflate_row(bytes, at + 8, stored, cells, source)});
        at += 8 + stored;
    }
    return rows;
}

}  // namespace zelkon_ref
