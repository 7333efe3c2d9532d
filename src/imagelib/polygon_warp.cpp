// The quadrilateral warp (see polygon_warp.h). Each quadrilateral is the
// image of the unit square under a projective map (Heckbert's square-to-quad
// construction); a destination pixel goes back to the square through the
// inverse of its map and forward to the source through the other.
#include "imagelib/polygon_warp.h"

#include <algorithm>
#include <cmath>

#include "core/parallel.h"

namespace mve::il {

namespace {

// Row-major 3 x 3 projective matrix acting on (u, v, 1).
struct Matrix {
    double m[9];
};

Matrix square_to_quad(const Quad& q) noexcept
{
    const double sx = q[0].x - q[1].x + q[2].x - q[3].x, sy = q[0].y - q[1].y + q[2].y - q[3].y;
    double g = 0, h = 0;
    if (sx != 0 || sy != 0) {
        const double dx1 = q[1].x - q[2].x, dx2 = q[3].x - q[2].x, dy1 = q[1].y - q[2].y, dy2 = q[3].y - q[2].y;
        const double den = dx1 * dy2 - dx2 * dy1;
        if (den == 0) return Matrix{{0, 0, 0, 0, 0, 0, 0, 0, 0}};
        g = (sx * dy2 - dx2 * sy) / den;
        h = (dx1 * sy - sx * dy1) / den;
    }
    return Matrix{{q[1].x - q[0].x + g * q[1].x, q[3].x - q[0].x + h * q[3].x, q[0].x,  //
                   q[1].y - q[0].y + g * q[1].y, q[3].y - q[0].y + h * q[3].y, q[0].y,  //
                   g, h, 1}};
}

double determinant(const Matrix& a) noexcept
{
    const double* m = a.m;
    return m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) + m[2] * (m[3] * m[7] - m[4] * m[6]);
}

// The adjugate: the inverse up to a scale, which projective maps ignore.
Matrix adjugate(const Matrix& a) noexcept
{
    const double* m = a.m;
    return Matrix{{m[4] * m[8] - m[5] * m[7], m[2] * m[7] - m[1] * m[8], m[1] * m[5] - m[2] * m[4],
                   m[5] * m[6] - m[3] * m[8], m[0] * m[8] - m[2] * m[6], m[2] * m[3] - m[0] * m[5],
                   m[3] * m[7] - m[4] * m[6], m[1] * m[6] - m[0] * m[7], m[0] * m[4] - m[1] * m[3]}};
}

bool finite_quad(const Quad& q) noexcept
{
    for (const QuadCorner& c : q)
        if (!std::isfinite(c.x) || !std::isfinite(c.y)) return false;
    return true;
}

}  // namespace

int polygon_warp(const std::uint8_t* src, int sw, int sh, int srcRowBytes, std::uint8_t* dst, int dw, int dh,
                 int dstRowBytes, int bpp, const Quad& from, const Quad& to) noexcept
{
    if (!src || !dst || sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0 || bpp < 1 || bpp > 4 || srcRowBytes < sw * bpp ||
        dstRowBytes < dw * bpp || !finite_quad(from) || !finite_quad(to))
        return 0;
    const Matrix toSource = square_to_quad(from);
    const Matrix toDest = square_to_quad(to);
    constexpr double kTiny = 1e-12;
    if (std::fabs(determinant(toSource)) < kTiny || std::fabs(determinant(toDest)) < kTiny) return 0;
    const Matrix back = adjugate(toDest);
    constexpr double kEdge = 1e-9;  // pixels on the quadrilateral's border count as inside
    for_each_plane_row(dw, dh, cost::kFilter, [&](int y) {
        std::uint8_t* out = dst + static_cast<std::size_t>(y) * dstRowBytes;
        for (int x = 0; x < dw; ++x) {
            const double* b = back.m;
            const double w = b[6] * x + b[7] * y + b[8];
            if (w == 0) continue;
            const double u = (b[0] * x + b[1] * y + b[2]) / w, v = (b[3] * x + b[4] * y + b[5]) / w;
            if (u < -kEdge || u > 1 + kEdge || v < -kEdge || v > 1 + kEdge) continue;
            const double* s = toSource.m;
            const double sz = s[6] * u + s[7] * v + s[8];
            const double sx = (s[0] * u + s[1] * v + s[2]) / sz, sy = (s[3] * u + s[4] * v + s[5]) / sz;
            if (!(sx >= -0.5 && sx <= sw - 0.5 && sy >= -0.5 && sy <= sh - 0.5)) continue;
            const int x0 = static_cast<int>(std::floor(sx)), y0 = static_cast<int>(std::floor(sy));
            const double fx = sx - x0, fy = sy - y0;
            const int xa = std::clamp(x0, 0, sw - 1), xb = std::clamp(x0 + 1, 0, sw - 1);
            const std::uint8_t* ra = src + static_cast<std::size_t>(std::clamp(y0, 0, sh - 1)) * srcRowBytes;
            const std::uint8_t* rb = src + static_cast<std::size_t>(std::clamp(y0 + 1, 0, sh - 1)) * srcRowBytes;
            for (int c = 0; c < bpp; ++c) {
                const double top = ra[xa * bpp + c] + fx * (ra[xb * bpp + c] - ra[xa * bpp + c]);
                const double bottom = rb[xa * bpp + c] + fx * (rb[xb * bpp + c] - rb[xa * bpp + c]);
                out[x * bpp + c] = static_cast<std::uint8_t>(std::clamp(top + fy * (bottom - top) + 0.5, 0.0, 255.0));
            }
        }
    });
    return 1;
}

}  // namespace mve::il
