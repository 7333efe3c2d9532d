// The curve of the spline-point service: three control points in, 100
// points out, kept until the next calculation.
#pragma once

#include <array>

namespace mve {

constexpr int kSplinePoints = 100;

struct SplineState {
    std::array<double, 3> controlX = {};
    std::array<double, 3> controlY = {};
    std::array<double, kSplinePoints> x = {};
    std::array<double, kSplinePoints> y = {};
    int count = 0;  // 0 until the first calculation, then kSplinePoints
};

}  // namespace mve
