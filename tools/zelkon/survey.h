// What an inversion computes: the station grid, the prism mesh and the data components.
#pragma once

#include <string>
#include <vector>

#include "key_values.h"

namespace zelkon_ref {

enum class Kernel { gz, gx, gy };

struct Component {
    std::string suffix;  // names the matrix file "parvex_<suffix>.mtx"
    Kernel kernel = Kernel::gz;
    int type_code = 0;
};

// Stations on a regular grid at one height; data point d (from 1) is station
// ix = (d - 1) % nx, iy = (d - 1) / nx.
struct StationGrid {
    double x0 = 0, y0 = 0;
    double dx = 0, dy = 0;
    int nx = 0, ny = 0;
    double height = 0;
    long long count() const { return static_cast<long long>(nx) * ny; }
};

// Cells of a regular mesh from its west, south, top corner: east, north and down.
// Cell (ix, iy, iz) is matrix column ix + nx * (iy + ny * iz).
struct Mesh {
    double x0 = 0, y0 = 0, z_top = 0;
    double dx = 0, dy = 0, dz = 0;
    int nx = 0, ny = 0, nz = 0;
    long long cells() const { return static_cast<long long>(nx) * ny * nz; }
};

struct Survey {
    std::string title;
    StationGrid stations;
    Mesh mesh;
    std::vector<Component> components;
    double threshold = 0;  // entries below threshold x the row's largest are stored as 0
};

inline constexpr int kMaxComponents = 6;
inline constexpr long long kMaxStations = 99999999;     // fits the assembly log's columns
inline constexpr long long kMaxCellsPerRow = 16777216;  // 64 MB a row in single precision

const char* kernel_name(Kernel kernel);

// Reads and checks every survey key; throws ZelkonError naming the source, line and fault.
Survey read_survey(const std::vector<KeyValue>& entries, const std::string& source);

// The survey as key = value lines that read_survey gives back unchanged.
std::string survey_text(const Survey& survey);

}  // namespace zelkon_ref
