#include "imagelib/resample_kernels.h"

#include <algorithm>
#include <cmath>

#include "imagelib/resampling.h"

namespace mve::il {

namespace {

constexpr double kPi = 3.14159265358979323846;

double sinc(double x)
{
    if (x == 0.0) return 1.0;
    x *= kPi;
    return std::sin(x) / x;
}

// Mitchell-Netravali family: B and C select B-spline, Catmull-Rom, Hermite...
template <int B100, int C100>
double cubic_bc(double x)
{
    constexpr double B = B100 / 100.0, C = C100 / 100.0;
    x = std::fabs(x);
    if (x < 1.0) return ((12 - 9 * B - 6 * C) * x * x * x + (-18 + 12 * B + 6 * C) * x * x + (6 - 2 * B)) / 6.0;
    if (x < 2.0)
        return ((-B - 6 * C) * x * x * x + (6 * B + 30 * C) * x * x + (-12 * B - 48 * C) * x + (8 * B + 24 * C)) / 6.0;
    return 0.0;
}

// Box: 1 inside half a pixel.
double box(double x) { return std::fabs(x) <= 0.5 ? 1.0 : 0.0; }
// Triangle: 1 - |x|.
double triangle(double x) { x = std::fabs(x); return x < 1.0 ? 1.0 - x : 0.0; }
// Gaussian of sigma 1/2: exp(-2 x^2).
double gaussian(double x) { return std::exp(-2.0 * x * x); }
// Bell (quadratic B-spline): 3/4 - x^2 inside 1/2, (|x| - 3/2)^2 / 2 inside 3/2.
double bell(double x)
{
    x = std::fabs(x);
    if (x < 0.5) return 0.75 - x * x;
    if (x < 1.5) return 0.5 * (x - 1.5) * (x - 1.5);
    return 0.0;
}
// Lanczos3: sinc(x) sinc(x / 3) inside 3.
double lanczos3(double x) { return std::fabs(x) < 3.0 ? sinc(x) * sinc(x / 3.0) : 0.0; }
// Truncated sinc of four lobes.
double plain_sinc(double x) { return std::fabs(x) < 4.0 ? sinc(x) : 0.0; }
// Sinc under a Hann window of half-width 3: sinc(x) (0.5 + 0.5 cos(pi x / 3)).
double hanning(double x) { return std::fabs(x) < 3.0 ? sinc(x) * (0.5 + 0.5 * std::cos(kPi * x / 3.0)) : 0.0; }
// Sinc under a Hamming window: sinc(x) (0.54 + 0.46 cos(pi x / 3)).
double hamming(double x) { return std::fabs(x) < 3.0 ? sinc(x) * (0.54 + 0.46 * std::cos(kPi * x / 3.0)) : 0.0; }

const Kernel kBox{0.5, box, true};
const Kernel kTriangle{1.0, triangle, true};
const Kernel kHamming{3.0, hamming, true};
const Kernel kGaussian{2.0, gaussian, true};
const Kernel kBell{1.5, bell, true};
const Kernel kBSpline{2.0, cubic_bc<100, 0>, true};
const Kernel kCubic1{2.0, cubic_bc<0, 100>, true};
const Kernel kCubic2{2.0, cubic_bc<0, 75>, true};
const Kernel kLanczos3{3.0, lanczos3, true};
const Kernel kMitchell{2.0, cubic_bc<33, 33>, true};
const Kernel kSinc{4.0, plain_sinc, true};
const Kernel kHermite{1.0, cubic_bc<0, 0>, true};
const Kernel kHanning{3.0, hanning, true};
const Kernel kCatrom{2.0, cubic_bc<0, 50>, true};
const Kernel kBilinear{1.0, triangle, false};
const Kernel kBicubic{2.0, cubic_bc<0, 50>, true};

}  // namespace

bool known_filter(int code) noexcept { return (code >= 0 && code <= 13) || (code >= 15 && code <= 18); }

const Kernel& kernel_for(int code) noexcept
{
    switch (code) {
        case kFilterBox: return kBox;
        case kFilterTriangle: return kTriangle;
        case kFilterHamming: return kHamming;
        case kFilterGaussian: return kGaussian;
        case kFilterBell: return kBell;
        case kFilterBSpline: return kBSpline;
        case kFilterCubic1: return kCubic1;
        case kFilterCubic2: return kCubic2;
        case kFilterMitchell: return kMitchell;
        case kFilterSinc: return kSinc;
        case kFilterHermite: return kHermite;
        case kFilterHanning: return kHanning;
        case kFilterCatrom: return kCatrom;
        case kFilterBilinear: return kBilinear;
        case kFilterBicubic: return kBicubic;
        default: return kLanczos3;
    }
}

WeightTable make_weights(int in, int out, const Kernel& kernel, bool area, int align)
{
    const double scale = static_cast<double>(in) / out;
    // Shrinking widens the kernel so every source pixel contributes (no aliasing).
    const double stretch = kernel.widenWhenShrinking && scale > 1.0 ? scale : 1.0;
    const double support = area ? std::max(scale, 1.0) * 0.5 + 1.0 : kernel.support * stretch;
    WeightTable table;
    table.taps = static_cast<int>(std::ceil(support)) * 2 + 1;
    if (align > 1) table.taps = (table.taps + align - 1) / align * align;
    table.taps = std::min(in, table.taps);
    table.first.resize(static_cast<std::size_t>(out));
    table.weights.assign(static_cast<std::size_t>(out) * table.taps, 0);
    std::vector<double> w(static_cast<std::size_t>(table.taps));
    for (int o = 0; o < out; ++o) {
        const double centre = (o + 0.5) * scale;  // in source pixel coordinates
        int lo = std::max(0, static_cast<int>(std::floor(centre - support + 0.5)));
        int hi = std::min(in, static_cast<int>(std::floor(centre + support + 0.5)));
        hi = std::min(hi, lo + table.taps);
        double sum = 0.0;
        for (int i = lo; i < hi; ++i) {
            double v;
            if (area) {
                // Overlap of source pixel [i, i+1) with the output's footprint.
                const double a = o * scale, b = (o + 1) * scale;
                v = std::max(0.0, std::min(b, i + 1.0) - std::max(a, static_cast<double>(i)));
            } else {
                v = kernel.weight((i + 0.5 - centre) / stretch);
            }
            w[i - lo] = v;
            sum += v;
        }
        if (sum == 0.0) {  // a kernel narrower than the sample spacing: take the nearest pixel
            lo = std::min(in - 1, static_cast<int>(centre));
            hi = lo + 1;
            w[0] = sum = 1.0;
        }
        // Keep the window inside the input and pad to `taps` weights.
        int first = std::min(lo, in - table.taps);
        table.first[o] = first;
        std::int16_t* dst = &table.weights[static_cast<std::size_t>(o) * table.taps];
        int total = 0, largest = lo - first;
        for (int i = lo; i < hi; ++i) {
            const int q = static_cast<int>(std::lround(w[i - lo] / sum * (1 << kWeightBits)));
            dst[i - first] = static_cast<std::int16_t>(q);
            total += q;
            if (std::abs(q) > std::abs(dst[largest])) largest = i - first;
        }
        // Rounding error goes to the largest weight so the sum is exact.
        dst[largest] = static_cast<std::int16_t>(dst[largest] + ((1 << kWeightBits) - total));
    }
    return table;
}

}  // namespace mve::il
