#include "prism.h"

#include <cmath>

namespace zelkon_ref {

namespace {

// a * ln(b + r), written so that it neither takes ln(0) nor loses digits when b < 0.
double log_term(double a, double b, double c, double r) {
    if (a == 0) {
        return 0;
    }
    double s = b >= 0 ? std::log(b + r) : std::log((a * a + c * c) / (r - b));
    return a * s;
}

// Antiderivative of c / r^3 over a, b and c (with a minus sign), for a corner at (a, b, c)
// relative to the station. The triple difference over a prism's corners, times -G rho,
// is the attraction along +c.
double corner_term(double a, double b, double c) {
    double r = std::sqrt(a * a + b * b + c * c);
    if (r == 0) {
        return 0;
    }
    double t = log_term(a, b, c, r) + log_term(b, a, c, r);
    if (c != 0) {
        t -= c * std::atan(a * b / (c * r));
    }
    return t;
}

// x east, y north and depth below the station: the argument order puts the field's own
// axis last.
double oriented_term(Kernel kernel, double x, double y, double depth) {
    switch (kernel) {
        case Kernel::gx:
            return corner_term(y, depth, x);
        case Kernel::gy:
            return corner_term(depth, x, y);
        default:
            return corner_term(x, y, depth);
    }
}

}  // namespace

double prism_field(Kernel kernel, const Point& p, const Box& box) {
    const double xs[2] = {box.x1 - p.x, box.x2 - p.x};
    const double ys[2] = {box.y1 - p.y, box.y2 - p.y};
    const double ds[2] = {p.z - box.z_top, p.z - box.z_bottom};
    double sum = 0;
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 2; ++j) {
            for (int k = 0; k < 2; ++k) {
                double sign = ((i + j + k) % 2 == 1) ? 1.0 : -1.0;
                sum += sign * oriented_term(kernel, xs[i], ys[j], ds[k]);
            }
        }
    }
    // sum is the triple difference with the all-upper corner positive.
    return -kFieldScale * sum;
}

Point station_position(const StationGrid& s, long long datum) {
    long long index = datum - 1;
    return {s.x0 + static_cast<double>(index % s.nx) * s.dx,
            s.y0 + static_cast<double>(index / s.nx) * s.dy, s.height};
}

RowKernel::RowKernel(const Mesh& mesh)
    : mesh_(mesh),
      corners_(static_cast<size_t>(mesh.nx + 1) * (mesh.ny + 1) * (mesh.nz + 1)),
      xs_(mesh.nx + 1),
      ys_(mesh.ny + 1),
      zs_(mesh.nz + 1) {}

void RowKernel::compute(Kernel kernel, const Point& p, std::vector<float>& row) {
    const int nx = mesh_.nx, ny = mesh_.ny, nz = mesh_.nz;
    for (int i = 0; i <= nx; ++i) {
        xs_[i] = mesh_.x0 + i * mesh_.dx - p.x;
    }
    for (int j = 0; j <= ny; ++j) {
        ys_[j] = mesh_.y0 + j * mesh_.dy - p.y;
    }
    for (int k = 0; k <= nz; ++k) {
        zs_[k] = p.z - (mesh_.z_top - k * mesh_.dz);  // depth grows with k
    }
    const size_t sx = 1, sy = nx + 1, sz = sy * (ny + 1);
    for (int k = 0; k <= nz; ++k) {
        for (int j = 0; j <= ny; ++j) {
            double* line = &corners_[k * sz + j * sy];
            for (int i = 0; i <= nx; ++i) {
                line[i] = oriented_term(kernel, xs_[i], ys_[j], zs_[k]);
            }
        }
    }
    row.resize(static_cast<size_t>(mesh_.cells()));
    size_t out = 0;
    for (int k = 0; k < nz; ++k) {
        for (int j = 0; j < ny; ++j) {
            const double* c = &corners_[k * sz + j * sy];
            for (int i = 0; i < nx; ++i, c += sx) {
                // Upper minus lower along each axis: all-upper corner positive.
                double d = (c[sz + sy + 1] - c[sz + sy]) - (c[sz + 1] - c[sz]) -
                           ((c[sy + 1] - c[sy]) - (c[1] - c[0]));
                row[out++] = static_cast<float>(-kFieldScale * d);
            }
        }
    }
}

}  // namespace zelkon_ref
