#include "plotvane/core/PointDecimator.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace vg28::plotvane {

void PointDecimator::Decimate(std::span<const double> xs, std::span<const double> ys, double x0,
                              double x1, int columns, std::vector<PlotPoint>& out) {
    out.clear();
    const std::size_t n = std::min(xs.size(), ys.size());
    if (n == 0 || !(x1 >= x0)) return;
    std::size_t first = static_cast<std::size_t>(
        std::lower_bound(xs.begin(), xs.begin() + static_cast<std::ptrdiff_t>(n), x0) - xs.begin());
    std::size_t last = static_cast<std::size_t>(
        std::upper_bound(xs.begin(), xs.begin() + static_cast<std::ptrdiff_t>(n), x1) - xs.begin());
    if (first > 0) --first;
    if (last < n) ++last;

    const std::size_t count = last - first;
    const std::size_t budget =
        columns > 0 ? kPointsPerColumn * static_cast<std::size_t>(columns) : count;
    if (count <= budget || x1 == x0) {
        out.reserve(count);
        for (std::size_t i = first; i < last; ++i)
            out.push_back({xs[i], ys[i]});
        return;
    }

    out.reserve(budget + 2);
    const double perColumn = static_cast<double>(columns) / (x1 - x0);
    const auto columnOf = [&](double x) {
        // The points outside the range fall into columns of their own on either side.
        if (x < x0) return -1L;
        if (x > x1) return static_cast<long>(columns) + 1;
        return std::min(static_cast<long>((x - x0) * perColumn), static_cast<long>(columns) - 1);
    };

    std::size_t begin = first;
    while (begin < last) {
        const long column = columnOf(xs[begin]);
        std::size_t low = begin;
        std::size_t high = begin;
        std::size_t end = begin + 1;
        while (end < last && columnOf(xs[end]) == column) {
            if (ys[end] < ys[low]) low = end;
            if (ys[end] > ys[high]) high = end;
            ++end;
        }
        std::array<std::size_t, 4> keep = {begin, low, high, end - 1};
        std::sort(keep.begin(), keep.end());
        const auto unique = std::unique(keep.begin(), keep.end());
        for (auto it = keep.begin(); it != unique; ++it)
            out.push_back({xs[*it], ys[*it]});
        begin = end;
    }
}

std::size_t PointDecimator::Nearest(std::span<const double> xs, double x) {
    const auto after = std::lower_bound(xs.begin(), xs.end(), x);
    if (after == xs.begin()) return 0;
    if (after == xs.end()) return xs.size() - 1;
    const auto before = after - 1;
    return static_cast<std::size_t>((x - *before <= *after - x ? before : after) - xs.begin());
}

}  // namespace vg28::plotvane
