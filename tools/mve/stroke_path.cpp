// Stroke walker: flatten the curve into a fine polyline with arc lengths,
// then step along it by the spacing of the dab just placed. Walking the
// polyline by arc length (not by curve parameter) keeps the dabs evenly spaced
// where the curve speeds up or slows down between control points.
#include "stroke_path.h"

#include <algorithm>
#include <cmath>

namespace mve_host {

namespace {

// Polyline samples per curve segment: enough that a 1000-pixel segment is
// followed to well under a pixel for the demo's gentle curves.
constexpr int kSamplesPerSegment = 64;

struct Sample {
    double x, y, pressure, s;  // position, pen pressure, arc length from the start
};

// Uniform Catmull-Rom between p1 and p2 at u in 0..1.
double catmull_rom(double p0, double p1, double p2, double p3, double u)
{
    const double u2 = u * u, u3 = u2 * u;
    return 0.5 * (2 * p1 + (p2 - p0) * u + (2 * p0 - 5 * p1 + 4 * p2 - p3) * u2 + (3 * p1 - p0 - 3 * p2 + p3) * u3);
}

// The curve as a polyline with arc lengths. Pressure runs linearly with arc
// length inside each segment, so a two-point ramp is linear along the line.
std::vector<Sample> flatten(const std::vector<StrokePoint>& pts)
{
    std::vector<Sample> out{{pts[0].x, pts[0].y, pts[0].pressure, 0}};
    const int n = static_cast<int>(pts.size());
    for (int seg = 0; seg + 1 < n; ++seg) {
        const StrokePoint& p0 = pts[std::max(seg - 1, 0)];
        const StrokePoint& p1 = pts[seg];
        const StrokePoint& p2 = pts[seg + 1];
        const StrokePoint& p3 = pts[std::min(seg + 2, n - 1)];
        const std::size_t first = out.size();
        const double segStart = out.back().s;
        for (int i = 1; i <= kSamplesPerSegment; ++i) {
            const double u = double(i) / kSamplesPerSegment;
            const double x = catmull_rom(p0.x, p1.x, p2.x, p3.x, u);
            const double y = catmull_rom(p0.y, p1.y, p2.y, p3.y, u);
            const Sample& prev = out.back();
            out.push_back({x, y, 0, prev.s + std::hypot(x - prev.x, y - prev.y)});
        }
        const double len = out.back().s - segStart;
        for (std::size_t i = first; i < out.size(); ++i) {
            const double f = len > 0 ? (out[i].s - segStart) / len : 1.0;
            out[i].pressure = p1.pressure + (p2.pressure - p1.pressure) * f;
        }
    }
    return out;
}

// The sample index i with s[i] <= dist < s[i + 1] (the last segment for the end).
std::size_t segment_at(const std::vector<Sample>& line, std::size_t from, double dist)
{
    std::size_t i = from;
    while (i + 2 < line.size() && line[i + 1].s <= dist) ++i;
    return i;
}

// Direction of the polyline around segment i; zero-length pieces borrow the
// direction of the nearest piece that has a length.
double direction(const std::vector<Sample>& line, std::size_t i)
{
    for (std::size_t k = i; k + 1 < line.size(); ++k) {
        const double dx = line[k + 1].x - line[k].x, dy = line[k + 1].y - line[k].y;
        if (dx != 0 || dy != 0) return std::atan2(dy, dx) * 180.0 / M_PI;
    }
    for (std::size_t k = std::min(i, line.size() - 1); k > 0; --k) {
        const double dx = line[k].x - line[k - 1].x, dy = line[k].y - line[k - 1].y;
        if (dx != 0 || dy != 0) return std::atan2(dy, dx) * 180.0 / M_PI;
    }
    return 0;
}

}  // namespace

double tapered_pressure(const StrokeStyle& style, double pressure, double t)
{
    double ramp = 1;
    if (style.taperIn > 0) ramp = std::min(ramp, t / style.taperIn);
    if (style.taperOut > 0) ramp = std::min(ramp, (1 - t) / style.taperOut);
    return std::clamp(pressure * ramp, 0.0, 1.0);
}

int dab_size(const StrokeStyle& style, double pressure)
{
    const double f = style.minSize + (1 - style.minSize) * pressure;
    return std::max(1, static_cast<int>(std::lround(style.size * f)));
}

int dab_alpha(const StrokeStyle& style, double pressure)
{
    const double f = style.minAlpha + (1 - style.minAlpha) * pressure;
    return std::clamp(static_cast<int>(std::lround(style.alpha * f)), 1, 100);
}

int walk_stroke(const std::vector<StrokePoint>& points, const StrokeStyle& style, const DabCallback& onDab)
{
    if (points.empty()) return 0;
    const std::vector<Sample> line = flatten(points);
    const double total = line.back().s;
    int count = 0;
    std::size_t seg = 0;
    // A hair of slack so that a stroke whose length is a whole number of
    // steps still gets its last dab despite rounding in the arc sums.
    for (double dist = 0; dist <= total + 1e-9;) {
        StrokeDab dab;
        if (line.size() == 1) {
            dab.x = line[0].x, dab.y = line[0].y;
            dab.pressure = tapered_pressure(style, line[0].pressure, 0);
        } else {
            seg = segment_at(line, seg, dist);
            const Sample& a = line[seg];
            const Sample& b = line[seg + 1];
            const double f = b.s > a.s ? std::clamp((dist - a.s) / (b.s - a.s), 0.0, 1.0) : 0.0;
            dab.x = a.x + (b.x - a.x) * f;
            dab.y = a.y + (b.y - a.y) * f;
            dab.angle = direction(line, seg);
            dab.t = total > 0 ? std::min(dist / total, 1.0) : 0;
            dab.pressure = tapered_pressure(style, a.pressure + (b.pressure - a.pressure) * f, dab.t);
        }
        dab.size = dab_size(style, dab.pressure);
        dab.alpha = dab_alpha(style, dab.pressure);
        onDab(dab);
        ++count;
        if (total <= 0) break;
        dist += std::max(1.0, style.spacing * dab.size);
    }
    return count;
}

}  // namespace mve_host
