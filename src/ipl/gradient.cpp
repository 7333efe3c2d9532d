// Linear and radial gradients (see gradient.h).
#include "ipl/gradient.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/guard.h"
#include "core/parallel.h"
#include "core/runtime.h"
#include "core/transfer.h"
#include "ipl/merge_back.h"
#include "morvane/morvane.h"
#include "undo/undo_store.h"

namespace mve::ipl {

GradientStops gradient_stops(const std::array<std::array<int, 3>, 4>& colours, int count) noexcept
{
    GradientStops s;
    count = std::clamp(count, 0, 4);
    auto colour = [&](int i, int alpha) {
        return std::array<int, 4>{colours[i][0] & 0xFF, colours[i][1] & 0xFF, colours[i][2] & 0xFF, alpha};
    };
    if (count <= 1) {
        // 0: transparent to opaque; 1: opaque to transparent, both in colour 1.
        s.count = 2;
        s.stop[0] = GradientStop{0, colour(0, count == 0 ? 0 : 255)};
        s.stop[1] = GradientStop{100, colour(0, count == 0 ? 255 : 0)};
        return s;
    }
    const int v = 100 / (count - 1);
    s.count = count;
    for (int i = 0; i < count; ++i) s.stop[i] = GradientStop{static_cast<double>(i * v), colour(i, 255)};
    return s;
}

void gradient_colour(const GradientStops& stops, double position, std::uint8_t* out) noexcept
{
    const GradientStop* a = &stops.stop[0];
    const GradientStop* b = a;
    if (position > a->position) {
        int i = 0;
        while (i + 1 < stops.count && stops.stop[i + 1].position < position) ++i;
        a = &stops.stop[i];
        b = i + 1 < stops.count ? &stops.stop[i + 1] : a;
    }
    const double span = b->position - a->position;
    const double f = span > 0 ? std::clamp((position - a->position) / span, 0.0, 1.0) : 0.0;
    for (int c = 0; c < 4; ++c)
        out[c] = static_cast<std::uint8_t>(std::lround(a->rgba[c] + (b->rgba[c] - a->rgba[c]) * f));
}

GradientShape gradient_shape(int x0, int y0, int x1, int y1, const char* type) noexcept
{
    GradientShape g;
    g.linear = type && std::strcmp(type, "Linear") == 0;
    g.x0 = x0, g.y0 = y0;
    g.dx = static_cast<double>(x1) - x0, g.dy = static_cast<double>(y1) - y0;
    const double len2 = g.dx * g.dx + g.dy * g.dy;
    if (len2 > 0) g.scale = g.linear ? 100.0 / len2 : 100.0 / std::sqrt(len2);
    return g;
}

double gradient_position(const GradientShape& g, int x, int y) noexcept
{
    if (g.scale == 0) return 100.0;
    const double px = x - g.x0, py = y - g.y0;
    const double p = g.linear ? (px * g.dx + py * g.dy) * g.scale : std::sqrt(px * px + py * py) * g.scale;
    return std::clamp(p, 0.0, 100.0);
}

void gradient_table(const GradientStops& stops, std::uint8_t* table) noexcept
{
    for (int i = 0; i < kGradientTableSize; ++i)
        gradient_colour(stops, i * 100.0 / (kGradientTableSize - 1), table + i * 4);
}

void gradient_row(const GradientStops& stops, const GradientShape& g, int y, int width, std::uint8_t* out,
                  const std::uint8_t* table) noexcept
{
    if (!table) {
        for (int x = 0; x < width; ++x) gradient_colour(stops, gradient_position(g, x, y), out + x * 4);
        return;
    }
    constexpr double kIndex = (kGradientTableSize - 1) / 100.0;
    if (g.scale == 0) {
        for (int x = 0; x < width; ++x) std::memcpy(out + x * 4, table + (kGradientTableSize - 1) * 4, 4);
        return;
    }
    const double py = y - g.y0;
    if (g.linear) {
        // The position is affine along the row: start + x * step.
        const double start = (-g.x0 * g.dx + py * g.dy) * g.scale * kIndex, step = g.dx * g.scale * kIndex;
        for (int x = 0; x < width; ++x) {
            const double i = std::clamp(start + x * step, 0.0, kGradientTableSize - 1.0);
            std::memcpy(out + x * 4, table + static_cast<int>(i + 0.5) * 4, 4);
        }
        return;
    }
    const double py2 = py * py, k = g.scale * kIndex;
    for (int x = 0; x < width; ++x) {
        const double px = x - g.x0;
        const double i = std::min(std::sqrt(px * px + py2) * k, kGradientTableSize - 1.0);
        std::memcpy(out + x * 4, table + static_cast<int>(i + 0.5) * 4, 4);
    }
}

void draw_gradient(Engine& e, const std::array<std::array<int, 3>, 4>& colours, int count, int x0, int y0,
                   int x1, int y1, const char* type)
{
    const int W = e.canvas.width, H = e.canvas.height;
    if (W <= 0 || H <= 0 || !current_layer(e)) return;
    const GradientStops stops = gradient_stops(colours, count);
    const GradientShape shape = gradient_shape(x0, y0, x1, y1, type);
    std::vector<std::uint8_t> table;
    if (fast_paths_enabled()) {
        table.resize(kGradientTableSize * 4);
        gradient_table(stops, table.data());
    }
    // Built, covered and merged a band of rows at a time, so each band is
    // still in cache when the merge reads it.
    constexpr int kBandRows = 64;
    Plane8 band;
    require(band.allocate(static_cast<std::size_t>(W) * kBandRows * 4));
    for (int top = 0; top < H; top += kBandRows) {
        const int rows = std::min(kBandRows, H - top);
        for_each_row(top, top + rows, W * cost::kSimple, [&](int y) {
            gradient_row(stops, shape, y, W, band.data() + static_cast<std::size_t>(y - top) * W * 4,
                         table.empty() ? nullptr : table.data());
        });
        core::cover_rgba32_rect(e, band.data(), 0, top, W, rows);
        merge_rgba32_over_current(e, band.data(), W * 4, 0, top, W, rows, 255);
    }
}

}  // namespace mve::ipl

using namespace mve;

extern "C" {

MVE_API void MVE_IPLGradient(int r1, int g1, int b1, int r2, int g2, int b2, int r3, int g3, int b3, int r4,
                             int g4, int b4, int count, int x0, int y0, int x1, int y1, const char* type)
{
    Engine& e = engine();
    guarded("IPLGradient Excpt", [&] {
        const std::array<std::array<int, 3>, 4> colours = {
            std::array<int, 3>{r1, g1, b1}, {r2, g2, b2}, {r3, g3, b3}, {r4, g4, b4}};
        ipl::draw_gradient(e, colours, count, x0, y0, x1, y1, type);
    });
    undo_mark_all_dirty(e);
}

}  // extern "C"
