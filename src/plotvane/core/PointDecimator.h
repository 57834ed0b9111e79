#pragma once
// Chooses the points of a series worth drawing over a given width in pixels. For each pixel
// column it keeps the first, lowest, highest and last point (in time order), which draws the
// same line as every point would, so that millions of points draw in the time of a few
// thousand. The caller owns the data and the output vector; nothing fails.

#include <cstddef>
#include <span>
#include <vector>

namespace vg28::plotvane {

struct PlotPoint {
    double x = 0.0;
    double y = 0.0;
};

class PointDecimator {
public:
    // Up to this many points per column are kept.
    static constexpr std::size_t kPointsPerColumn = 4;

    // Fills out with the points of (xs, ys) to draw between x0 and x1 over columns pixels: the
    // points inside, plus the nearest one on either side so that the line reaches the edges.
    // xs must be ascending. With no more points than kPointsPerColumn * columns all are kept.
    static void Decimate(std::span<const double> xs, std::span<const double> ys, double x0,
                         double x1, int columns, std::vector<PlotPoint>& out);

    // The index of the point nearest in x to x; xs ascending and not empty.
    static std::size_t Nearest(std::span<const double> xs, double x);
};

}  // namespace vg28::plotvane
