// The prism field against physics, not against its own formula; the rows that hold it.
#include "prism.h"

#include <gtest/gtest.h>

#include <cmath>

#include "matrix_format.h"

namespace zelkon_ref {
namespace {

// Attraction of a point mass of density 1 g/cm3 and volume v at c, seen from p, in mGal.
double point_mass(Kernel kernel, const Point& p, const Point& c, double volume) {
    double dx = c.x - p.x, dy = c.y - p.y, down = p.z - c.z;
    double r = std::sqrt(dx * dx + dy * dy + down * down);
    double along = kernel == Kernel::gx ? dx : kernel == Kernel::gy ? dy : down;
    return kFieldScale * volume * along / (r * r * r);
}

// Midpoint sum over n^3 small point masses: slow, simple, independent of the closed form.
double subdivided(Kernel kernel, const Point& p, const Box& b, int n) {
    double hx = (b.x2 - b.x1) / n, hy = (b.y2 - b.y1) / n, hz = (b.z_top - b.z_bottom) / n;
    double sum = 0;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            for (int k = 0; k < n; ++k) {
                Point c{b.x1 + (i + 0.5) * hx, b.y1 + (j + 0.5) * hy, b.z_bottom + (k + 0.5) * hz};
                sum += point_mass(kernel, p, c, hx * hy * hz);
            }
        }
    }
    return sum;
}

// A small distant prism acts as one point mass; near one (above, off to a side), as many.
TEST(ZelkonPrism, FieldMatchesPointMasses) {
    const Box near{-40, 60, -25, 35, -90, -10};
    struct Case {
        Point station;
        Box box;
        int masses;  // along each side
        double tolerance;
    } cases[] = {{{0, 0, 0}, {295, 305, -205, -195, -805, -795}, 1, 1e-4},
                 {{10, 5, 30}, near, 40, 2e-3},
                 {{-90, 70, 15}, near, 40, 2e-3}};
    for (const Case& c : cases) {
        double scale = std::fabs(subdivided(Kernel::gz, c.station, c.box, c.masses));
        for (Kernel k : {Kernel::gz, Kernel::gx, Kernel::gy}) {
            EXPECT_NEAR(prism_field(k, c.station, c.box), subdivided(k, c.station, c.box, c.masses),
                        c.tolerance * scale)
                << kernel_name(k) << " " << c.masses;
        }
    }
}

// Rows read back exactly (as the assembled matrices show) unless a threshold zeroes small entries.
TEST(ZelkonMatrixFormat, AThresholdZeroesSmallEntries) {
    std::string file =
        matrix_header(5) + encode_row(3, {10.0f, -0.5f, 0.05f, -2.0f, 0.0999f}, 0.01);
    EXPECT_EQ(read_matrix_rows(file, "m")[0].values,
              (std::vector<float>{10.0f, -0.5f, 0.0f, -2.0f, 0.0f}));
}

}  // namespace
}  // namespace zelkon_ref
