// The effects that sweep the image in eight directional passes: "Value Blur",
// "Noise Reduction", "Noise Reduction RGB" and "Anti Alias". Each pass
// compares a pixel c with its next neighbour n in the direction of travel and
// modifies n. All passes run in single-buffer mode, so each pass (and each
// step of a pass) sees what the steps before it wrote.
#include <cstddef>
#include <cstdlib>

#include "ipl/effects.h"

namespace mve::ipl {

namespace {

// One pass: x runs from x0 towards x1 (exclusive) by xs, y from y0 towards y1
// (exclusive) by ys; the neighbour is (x + nx, y + ny).
struct Pass {
    int x0, x1, xs, y0, y1, ys, nx, ny;
};

// The eight passes in their fixed order for a W x H image.
void make_passes(int W, int H, Pass out[8]) noexcept
{
    out[0] = {0, W - 2, +1, 0, H - 2, +1, +1, 0};
    out[1] = {W - 1, 1, -1, H - 1, 1, -1, -1, 0};
    out[2] = {W - 1, 1, -1, 1, H - 1, +1, -1, 0};
    out[3] = {0, W - 2, +1, H - 1, 1, -1, +1, 0};
    out[4] = {0, W - 2, +1, 0, H - 2, +1, 0, +1};
    out[5] = {W - 1, 1, -1, H - 1, 1, -1, 0, -1};
    out[6] = {W - 1, 1, -1, 0, H - 2, +1, 0, +1};
    out[7] = {0, W - 2, +1, H - 1, 1, -1, 0, -1};
}

// Calls step(c, n, d) for every position of the eight passes in order, with
// the single-buffer flag set: c the current pixel, n the neighbour it
// modifies, d the pixel diagonally ahead (x + xs, y + ys), all in the
// destination. The pass ranges keep all three inside the image, so the
// loops address the pixels directly.
template <class Step>
void sweep_eight(EffectRun& run, Step step)
{
    EffectBlock& b = run.b;
    b.singleBuffer = 1;
    Pass passes[8];
    make_passes(b.width, b.height, passes);
    const std::ptrdiff_t stride = b.stride;
    for (const Pass& p : passes) {
        const std::ptrdiff_t toN = p.ny * stride + p.nx * 4, toD = p.ys * stride + p.xs * 4;
        for (int y = p.y0; p.ys > 0 ? y < p.y1 : y > p.y1; y += p.ys)
            for (int x = p.x0; p.xs > 0 ? x < p.x1 : x > p.x1; x += p.xs) {
                std::uint8_t* c = b.dst + run.offset(x, y);
                step(c, c + toN, c + toD);
            }
    }
}

inline int lum3(const std::uint8_t* p) noexcept { return (p[0] + p[1] + p[2]) / 3; }

// n' = ((w*n >> 8) + ((65535 - w)*c >> 8)) >> 8, w in 0..65535. A full weight
// keeps n exactly: the shifts would otherwise lower every non-zero value by
// one per pass although a weight of 65535 means "leave the neighbour".
inline int blend_toward(int n, int c, long w) noexcept
{
    if (w >= 65535) return n;
    if (w < 0) w = 0;
    return clamp255(static_cast<int>(((w * n >> 8) + ((65535 - w) * c >> 8)) >> 8));
}

// The neighbour's four channels blended toward the current pixel.
inline void blend_pixel(std::uint8_t* n, const std::uint8_t* c, long w) noexcept
{
    for (int i = 0; i < 4; ++i) n[i] = static_cast<std::uint8_t>(blend_toward(n[i], c[i], w));
}

inline long weight(double p) noexcept { return static_cast<long>(p * 65535.0); }

}  // namespace

// Brighter pixels spread into darker neighbours by weight P1, darker into
// brighter by P2; equal luminances leave the neighbour.
void value_blur(EffectRun& run)
{
    const long wDown = weight(run.b.P[1]), wUp = weight(run.b.P[2]);
    sweep_eight(run, [&](const std::uint8_t* c, std::uint8_t* n, const std::uint8_t*) {
        const int lc = lum3(c), ln = lum3(n);
        const long w = lc > ln ? wDown : lc < ln ? wUp : 0;
        if (w > 0) blend_pixel(n, c, w);
    });
}

// Smooths only luminance steps smaller than t = trunc(P2 * 255), with the
// weight of P1' = 1 - P1 * 0.5 (stored back into the block).
void noise_reduction(EffectRun& run)
{
    run.b.P[1] = 1.0 - run.b.P[1] * 0.5;
    const int t = static_cast<int>(run.b.P[2] * 255.0);
    const long w = weight(run.b.P[1]);
    sweep_eight(run, [&](const std::uint8_t* c, std::uint8_t* n, const std::uint8_t*) {
        if (std::abs(lum3(c) - lum3(n)) < t) blend_pixel(n, c, w);
    });
}

// The same per colour channel: red with P1/P2, green with P3/P4, blue with
// P5/P6 (P1, P3, P5 replaced by 1 - P * 0.5). Alpha is never written.
void noise_reduction_rgb(EffectRun& run)
{
    long w[3];
    int t[3];
    for (int c = 0; c < 3; ++c) {
        double& strength = run.b.P[1 + 2 * c];
        strength = 1.0 - strength * 0.5;
        w[c] = weight(strength);
        t[c] = static_cast<int>(run.b.P[2 + 2 * c] * 255.0);
    }
    sweep_eight(run, [&](const std::uint8_t* c, std::uint8_t* n, const std::uint8_t*) {
        for (int k = 0; k < 3; ++k)
            if (std::abs(c[k] - n[k]) < t[k]) n[k] = static_cast<std::uint8_t>(blend_toward(n[k], c[k], w[k]));
    });
}

// Staircase smoothing. With d the pixel diagonally ahead (x + xs, y + ys):
// a dark step (lum(c) - lum(n) > T1, lum(c) <= lum(d)) mixes n' = P1*n + (1-P1)*c,
// a bright step (lum(n) - lum(c) > T2, lum(d) <= lum(c)) n' = P2*n + (1-P2)*c.
void anti_alias(EffectRun& run)
{
    const double p1 = run.b.P[1], p2 = run.b.P[2];
    const int t1 = static_cast<int>((1.0 - run.b.P[3]) * 255.0);
    const int t2 = static_cast<int>((1.0 - run.b.P[4]) * 255.0);
    // n' = trunc(k n + (1 - k) c) per channel, clamped.
    auto mix = [](std::uint8_t* n, const std::uint8_t* c, double k) {
        for (int i = 0; i < 4; ++i) n[i] = static_cast<std::uint8_t>(clamp255(static_cast<int>(k * n[i] + (1.0 - k) * c[i])));
    };
    sweep_eight(run, [&](const std::uint8_t* c, std::uint8_t* n, const std::uint8_t* d) {
        const int lc = lum3(c), ln = lum3(n), ld = lum3(d);
        if (lc - ln > t1 && lc <= ld)
            mix(n, c, p1);
        else if (ln - lc > t2 && ld <= lc)
            mix(n, c, p2);
    });
}

}  // namespace mve::ipl
