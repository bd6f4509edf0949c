// Closed-form gravity of uniform right rectangular prisms, in double precision.
//
// Values are in mGal for a density contrast of 1 g/cm3. gz is positive downward
// (towards mass below), gx towards east (+x) and gy towards north (+y).
#pragma once

#include <vector>

#include "survey.h"

namespace zelkon_ref {

inline constexpr double kGravitationalConstant = 6.674e-11;  // m3 / (kg s2)
// G x 1000 kg/m3, expressed in mGal (1 mGal = 1e-5 m/s2).
inline constexpr double kFieldScale = kGravitationalConstant * 1000.0 / 1e-5;

struct Point {
    double x = 0, y = 0, z = 0;  // z is elevation, positive up
};

struct Box {
    double x1 = 0, x2 = 0;           // west, east
    double y1 = 0, y2 = 0;           // south, north
    double z_bottom = 0, z_top = 0;  // elevations
};

double prism_field(Kernel kernel, const Point& station, const Box& box);

Point station_position(const StationGrid& stations, long long datum);

// One matrix row: the field of every mesh cell at one station. Neighbouring cells
// share corners, so each corner term is evaluated once per row rather than eight times.
class RowKernel {
  public:
    explicit RowKernel(const Mesh& mesh);
    void compute(Kernel kernel, const Point& station, std::vector<float>& row);

  private:
    Mesh mesh_;
    std::vector<double> corners_;
    std::vector<double> xs_, ys_, zs_;
};

}  // namespace zelkon_ref
