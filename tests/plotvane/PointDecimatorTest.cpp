#include "plotvane/core/PointDecimator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace vg28::plotvane {
namespace {

struct Series {
    std::vector<double> xs;
    std::vector<double> ys;
};

Series RandomSeries(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> gap(0.1, 5.0);
    std::normal_distribution<double> noise(0.0, 3.0);
    Series series;
    double x = 1000.0;
    double y = 20.0;
    for (std::size_t i = 0; i < count; ++i) {
        x += gap(random);
        y += noise(random);
        series.xs.push_back(x);
        series.ys.push_back(y);
    }
    return series;
}

// Guards against a decimated line that looks different from the full one: in every pixel
// column the lowest and highest point and the first and last survive, in time order, the line
// reaches both edges, and no more than four points per column are drawn.
TEST(PointDecimatorTest, KeepsTheShapeOfEveryColumn) {
    struct Case {
        const char* name;
        std::size_t count;
        double from;  // share of the series' span
        double to;
        int columns;
    };
    for (const Case& c :
         {Case{"whole", 200000, 0.0, 1.0, 800}, Case{"zoomed", 200000, 0.4, 0.45, 640},
          Case{"narrow", 50000, 0.1, 0.9, 3}, Case{"one column", 10000, 0.0, 1.0, 1}}) {
        SCOPED_TRACE(c.name);
        const Series series = RandomSeries(c.count, 7);
        const double span = series.xs.back() - series.xs.front();
        const double x0 = series.xs.front() + span * c.from;
        const double x1 = series.xs.front() + span * c.to;
        std::vector<PlotPoint> out;
        PointDecimator::Decimate(series.xs, series.ys, x0, x1, c.columns, out);

        ASSERT_LE(out.size(), PointDecimator::kPointsPerColumn * c.columns + 2);
        ASSERT_TRUE(
            std::is_sorted(out.begin(), out.end(),
                           [](const PlotPoint& a, const PlotPoint& b) { return a.x < b.x; }));
        // The line starts at or before the left edge and ends at or after the right one.
        EXPECT_LE(out.front().x, x0);
        EXPECT_GE(out.back().x, x1);

        // Per column, the extremes of the full data are among the drawn points.
        const double width = (x1 - x0) / c.columns;
        std::vector<double> low(c.columns, INFINITY), high(c.columns, -INFINITY);
        std::vector<double> drawnLow(c.columns, INFINITY), drawnHigh(c.columns, -INFINITY);
        const auto column = [&](double x) {
            return std::min(static_cast<int>((x - x0) / width), c.columns - 1);
        };
        for (std::size_t i = 0; i < series.xs.size(); ++i) {
            if (series.xs[i] < x0 || series.xs[i] > x1) continue;
            const int k = column(series.xs[i]);
            low[k] = std::min(low[k], series.ys[i]);
            high[k] = std::max(high[k], series.ys[i]);
        }
        for (const PlotPoint& point : out) {
            if (point.x < x0 || point.x > x1) continue;
            const int k = column(point.x);
            drawnLow[k] = std::min(drawnLow[k], point.y);
            drawnHigh[k] = std::max(drawnHigh[k], point.y);
        }
        EXPECT_EQ(drawnLow, low);
        EXPECT_EQ(drawnHigh, high);

        // Every drawn point is a point of the series.
        for (const PlotPoint& point : out) {
            const auto at = std::lower_bound(series.xs.begin(), series.xs.end(), point.x);
            ASSERT_NE(at, series.xs.end());
            EXPECT_EQ(series.ys[static_cast<std::size_t>(at - series.xs.begin())], point.y);
        }
    }
}

// Guards against points being dropped when there are few, and against out-of-range and empty
// inputs: all points in range and one on either side are kept as they are.
TEST(PointDecimatorTest, FewPointsStayAsTheyAre) {
    const std::vector<double> xs = {1, 2, 3, 4, 5, 6, 7, 8};
    const std::vector<double> ys = {5, 1, 4, 1, 5, 9, 2, 6};
    struct Case {
        double x0;
        double x1;
        std::vector<double> kept;
    };
    for (const Case& c : {Case{0.0, 100.0, {1, 2, 3, 4, 5, 6, 7, 8}}, Case{3.5, 5.5, {3, 4, 5, 6}},
                          Case{4.0, 4.0, {3, 4, 5}}, Case{20.0, 30.0, {8}}, Case{-5.0, -1.0, {1}},
                          Case{5.0, 4.0, {}}}) {
        std::vector<PlotPoint> out;
        PointDecimator::Decimate(xs, ys, c.x0, c.x1, 100, out);
        std::vector<double> kept;
        for (const PlotPoint& point : out) {
            kept.push_back(point.x);
            EXPECT_EQ(point.y, ys[static_cast<std::size_t>(point.x) - 1]);
        }
        EXPECT_EQ(kept, c.kept) << c.x0 << ".." << c.x1;
    }
    std::vector<PlotPoint> out{{1, 1}};
    PointDecimator::Decimate({}, {}, 0.0, 1.0, 10, out);
    EXPECT_TRUE(out.empty());
}

// Guards the cursor readout against picking a point other than the nearest one in time.
TEST(PointDecimatorTest, FindsTheNearestPoint) {
    const std::vector<double> xs = {10, 20, 40, 80};
    struct Case {
        double x;
        std::size_t index;
    };
    for (const Case& c : {Case{-5, 0}, Case{10, 0}, Case{14.9, 0}, Case{15, 0}, Case{15.1, 1},
                          Case{31, 2}, Case{79, 3}, Case{1000, 3}}) {
        EXPECT_EQ(PointDecimator::Nearest(xs, c.x), c.index) << c.x;
    }
}

}  // namespace
}  // namespace vg28::plotvane
