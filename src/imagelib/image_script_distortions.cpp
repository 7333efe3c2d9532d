// Image-script distortions: every output pixel maps back to a position in the
// unchanged picture, which is sampled bilinearly on all four channels (the
// same map for each channel, so the result is that of running the map on each
// channel plane alone). Rows run on the engine's workers; each row is a pure
// function of the source, so the result never depends on the thread count.
//
// Coordinates are continuous: pixel (x, y) covers [x, x + 1) x [y, y + 1) and
// its centre is (x + 0.5, y + 0.5). A map that leaves a position where it is
// copies the picture exactly.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/parallel.h"
#include "core/runtime.h"
#include "imagelib/image_script_steps.h"

namespace mve::il::isl_detail {

namespace {

constexpr double kPi = 3.14159265358979323846;

int slot_int(const IslStep& s, int i, int lo, int hi)
{
    return static_cast<int>(clamped_slot(s, i, lo, hi));
}

// A position (in pixel-centre units) for a centre given in percent of the picture.
double centre_of(const IslStep& s, int i, int side)
{
    return clamped_slot(s, i, -1000, 1000) / 100.0 * side;
}

std::uint32_t mix_hash(std::uint32_t a, std::uint32_t b)
{
    std::uint64_t h = (std::uint64_t{a} << 32 | b) * 0x9E3779B97F4A7C15ull;
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 32;
    return static_cast<std::uint32_t>(h);
}

// The seed of a randomised distortion: slot `i` mixed with the script's stream,
// so that a script run twice gives the same picture and the seed value matters.
std::uint32_t seed_of(const IslStep& s, int i, CrtRandom& rng)
{
    const double v = clamped_slot(s, i, 0, 4294967295.0);
    return mix_hash(static_cast<std::uint32_t>(v), static_cast<std::uint32_t>(rng.next()));
}

enum class Outside {
    Clear,   // transparent black
    Extend,  // the nearest edge pixel
    Wrap,    // the picture repeats
};

int wrap_index(int i, int n)
{
    const int m = i % n;
    return m < 0 ? m + n : m;
}

struct Source {
    const std::uint8_t* px;
    int w, h;
    Outside outside;
    bool fast = fast_paths_enabled();

    // Byte c of pixel (x, y), resolving positions outside the picture.
    int at(int x, int y, int c) const
    {
        if (x < 0 || y < 0 || x >= w || y >= h) {
            switch (outside) {
                case Outside::Clear:
                    return 0;
                case Outside::Extend:
                    x = std::clamp(x, 0, w - 1);
                    y = std::clamp(y, 0, h - 1);
                    break;
                case Outside::Wrap:
                    x = wrap_index(x, w);
                    y = wrap_index(y, h);
                    break;
            }
        }
        return px[(static_cast<std::size_t>(y) * w + x) * 4 + c];
    }

    // The shortcut for the four neighbours all inside the picture: weights in
    // 1/256 steps and integer sums. It equals the reference below wherever
    // the weights are multiples of 1/256 and is within one step elsewhere.
    void sample_inside(int x0, int y0, double ax, double ay, std::uint8_t* out) const
    {
        const int wx = static_cast<int>(ax * 256 + 0.5), wy = static_cast<int>(ay * 256 + 0.5);
        const std::uint8_t* p = px + (static_cast<std::size_t>(y0) * w + x0) * 4;
        const std::uint8_t* q = p + static_cast<std::size_t>(w) * 4;
        for (int c = 0; c < 4; ++c) {
            const int top = p[c] * (256 - wx) + p[c + 4] * wx, bottom = q[c] * (256 - wx) + q[c + 4] * wx;
            out[c] = static_cast<std::uint8_t>((top * (256 - wy) + bottom * wy + 32768) >> 16);
        }
    }

    // Bilinear sample at continuous position (u, v) into out[4].
    void sample(double u, double v, std::uint8_t* out) const
    {
        u -= 0.5;
        v -= 0.5;
        // Far outside (or not a number): one edge pixel or nothing, without overflowing ints.
        const double limit = 4.0 * (std::max(w, h) + 2);
        if (!(std::fabs(u) < limit && std::fabs(v) < limit)) {
            if (outside == Outside::Clear || !std::isfinite(u) || !std::isfinite(v)) {
                std::memset(out, 0, 4);
                return;
            }
            u = outside == Outside::Wrap ? std::fmod(u, double(w)) : std::clamp(u, -1.0, double(w));
            v = outside == Outside::Wrap ? std::fmod(v, double(h)) : std::clamp(v, -1.0, double(h));
        }
        const double fu = std::floor(u), fv = std::floor(v);
        const int x0 = static_cast<int>(fu), y0 = static_cast<int>(fv);
        const double ax = u - fu, ay = v - fv;
        if (fast && x0 >= 0 && y0 >= 0 && x0 + 1 < w && y0 + 1 < h) {
            sample_inside(x0, y0, ax, ay, out);
            return;
        }
        for (int c = 0; c < 4; ++c) {
            const double top = at(x0, y0, c) * (1 - ax) + at(x0 + 1, y0, c) * ax;
            const double bottom = at(x0, y0 + 1, c) * (1 - ax) + at(x0 + 1, y0 + 1, c) * ax;
            out[c] = static_cast<std::uint8_t>(top * (1 - ay) + bottom * ay + 0.5);
        }
    }
};

// Runs an inverse map over the picture, row by row: make_row(v) gives the map
// of the row at height v, which is called for u in increasing order, so a map
// may carry what it learnt from one pixel to the next. map(u, v) moves a
// continuous destination position to its source position; false leaves the
// pixel clear.
template <class MakeRowMap>
void warp_rows(Picture pic, Outside outside, MakeRowMap make_row)
{
    const std::vector<std::uint8_t> copy(pic.bgra,
                                         pic.bgra + static_cast<std::size_t>(pic.width) * pic.height * 4);
    const Source src{copy.data(), pic.width, pic.height, outside};
    for_each_plane_row(pic.width, pic.height, cost::kFilter, [&](int y) {
        std::uint8_t* out = pic.bgra + static_cast<std::size_t>(y) * pic.width * 4;
        auto&& map = make_row(y + 0.5);
        for (int x = 0; x < pic.width; ++x, out += 4) {
            double u = x + 0.5, v = y + 0.5;
            if (map(u, v))
                src.sample(u, v, out);
            else
                std::memset(out, 0, 4);
        }
    });
}

// The same map for every row.
template <class Map>
void warp(Picture pic, Outside outside, Map map)
{
    warp_rows(pic, outside, [&map](double) -> Map& { return map; });
}

// Rotates (u, v) about (cx, cy) by `a` radians (positive counter-clockwise on screen, y down).
void turn(double& u, double& v, double cx, double cy, double a)
{
    const double dx = u - cx, dy = v - cy, co = std::cos(a), si = std::sin(a);
    u = cx + dx * co + dy * si;
    v = cy - dx * si + dy * co;
}

}  // namespace

// slot 0 angle (degrees at the centre), 1 radius (percent of half the
// diagonal), 2 and 3 the centre (percent of width and height). The turn
// falls off as (1 - d / R)^2, so the edge of the circle does not move.
void fx_twirl(const IslStep& s, Picture pic, CrtRandom&)
{
    const double angle = clamped_slot(s, 0, -36000, 36000) * kPi / 180.0;
    const double radius = clamped_slot(s, 1, 0, 1000) / 100.0 * 0.5 * std::hypot(pic.width, pic.height);
    const double cx = centre_of(s, 2, pic.width), cy = centre_of(s, 3, pic.height);
    if (angle == 0.0 || radius <= 0.0) return;
    warp(pic, Outside::Extend, [&](double& u, double& v) {
        const double dx = u - cx, dy = v - cy, d2 = dx * dx + dy * dy;
        if (d2 >= radius * radius) return true;
        const double k = 1.0 - std::sqrt(d2) / radius;
        turn(u, v, cx, cy, -angle * k * k);
        return true;
    });
}

// slot 0 horizontal amplitude, 1 vertical amplitude (pixels), 2 wavelength
// (pixels), 3 phase (degrees): rows sway sideways with their height, columns
// up and down with their position.
void fx_sine_distortion(const IslStep& s, Picture pic, CrtRandom&)
{
    const double ax = clamped_slot(s, 0, -4096, 4096), ay = clamped_slot(s, 1, -4096, 4096);
    const double k = 2 * kPi / clamped_slot(s, 2, 1, 100000),
                 phase = clamped_slot(s, 3, -36000, 36000) * kPi / 180.0;
    warp(pic, Outside::Extend, [&](double& u, double& v) {
        const double nu = u + ax * std::sin(v * k + phase), nv = v + ay * std::sin(u * k + phase);
        u = nu;
        v = nv;
        return true;
    });
}

namespace {

// A 2x2 matrix taking an offset from the centre (y up) into the first wedge.
struct WedgeMap {
    double xx, xy, yx, yy;
};

// The kaleidoscope's geometry. A point in wedge pair m (its angle from the
// first mirror, over two wedges, floored) is turned back by m pairs when it
// lies in the even wedge, or reflected in the mirror between the two wedges
// when in the odd one: fixed matrices, built once per call. Pairs repeat every
// `segments` (that many pairs make two full turns).
struct Kaleidoscope {
    int segments;
    double wedge, start, cx, cy;
    double width;  // rows run over u in [0, width]
    std::vector<WedgeMap> turns, mirrors;

    Kaleidoscope(int n, double startAngle, double centreX, double centreY, int pictureWidth)
        : segments(n), wedge(2 * kPi / n), start(startAngle), cx(centreX), cy(centreY), width(pictureWidth)
    {
        for (int m = 0; m < segments; ++m) {
            const double turn = m * 2 * wedge, mirror = 2 * (start + wedge * (m + 1));
            turns.push_back({std::cos(turn), std::sin(turn), -std::sin(turn), std::cos(turn)});
            mirrors.push_back({std::cos(mirror), std::sin(mirror), std::sin(mirror), -std::cos(mirror)});
        }
    }

    // The matrix of the wedge holding offset (dx, dy).
    const WedgeMap& wedge_of(double dx, double dy) const
    {
        const double a = (std::atan2(dy, dx) - start) / (2 * wedge);
        const double pair = std::floor(a);
        const auto m = static_cast<std::size_t>(wrap_index(static_cast<int>(pair), segments));
        return a - pair <= 0.5 ? turns[m] : mirrors[m];
    }

    static void apply(const WedgeMap& w, double cx, double cy, double& u, double& v)
    {
        const double dx = u - cx, dy = cy - v;
        u = cx + w.xx * dx + w.xy * dy;
        v = cy - (w.yx * dx + w.yy * dy);
    }

    // The reference: every pixel finds its wedge.
    bool operator()(double& u, double& v) const
    {
        apply(wedge_of(u - cx, cy - v), cx, cy, u, v);
        return true;
    }

    // One row cut where the mirrors cross it: between two cuts the wedge does
    // not change, so a pixel costs a comparison and a matrix instead of an
    // arc tangent. A pixel within rounding of a cut may take the neighbouring
    // wedge, which maps it to the same place: the mirrors join continuously.
    // Only cuts inside the row count, and each piece takes its wedge from its
    // middle: a far crossing of a mirror nearly parallel to the row would put
    // that middle where the angle rounds onto the mirror.
    struct Row {
        const Kaleidoscope& k;
        std::vector<double> cuts;             // ascending u
        std::vector<const WedgeMap*> pieces;  // one more than cuts
        std::size_t piece = 0;

        Row(const Kaleidoscope& kal, double v) : k(kal)
        {
            const double dy = k.cy - v;
            const auto cut_at = [&](double u) {
                if (u > 0 && u < k.width) cuts.push_back(u);
            };
            if (dy == 0) cut_at(k.cx);  // the row through the centre turns at it
            for (int j = 0; j < k.segments; ++j) {
                const double mirror = k.start + j * k.wedge, sine = std::sin(mirror);
                if (dy != 0 && dy * sine > 0) cut_at(k.cx + dy * std::cos(mirror) / sine);
            }
            std::sort(cuts.begin(), cuts.end());
            for (std::size_t i = 0; i <= cuts.size(); ++i) {
                const double from = i == 0 ? 0 : cuts[i - 1], to = i == cuts.size() ? k.width : cuts[i];
                pieces.push_back(&k.wedge_of((from + to) / 2 - k.cx, dy));
            }
        }

        bool operator()(double& u, double& v)
        {
            while (piece < cuts.size() && u >= cuts[piece]) ++piece;
            apply(*pieces[piece], k.cx, k.cy, u, v);
            return true;
        }
    };
};

}  // namespace

// slot 0 segments (2..64), 1 turn of the mirrors (degrees), 2 and 3 the
// centre (percent). The circle about the centre is cut into wedges of
// 360 / segments degrees; every wedge shows the first one, mirrored in turn,
// so neighbouring wedges are reflections of each other as in a kaleidoscope.
void fx_kaleidoscope(const IslStep& s, Picture pic, CrtRandom&)
{
    const int segments = slot_int(s, 0, 2, 64);
    const double start = clamped_slot(s, 1, -36000, 36000) * kPi / 180.0;
    const Kaleidoscope k(segments, start, centre_of(s, 2, pic.width), centre_of(s, 3, pic.height), pic.width);
    if (fast_paths_enabled())
        warp_rows(pic, Outside::Extend, [&k](double v) { return Kaleidoscope::Row(k, v); });
    else
        warp(pic, Outside::Extend, k);
}

// slot 0 density (percent of columns scratched), 1 length (largest shift in
// pixels), 2 horizontal (1 scratches rows instead of columns), 3 seed. A
// scratched line is dragged along itself by a random shift, a streak as on
// worn film.
void fx_scratch(const IslStep& s, Picture pic, CrtRandom& rng)
{
    const double density = clamped_slot(s, 0, 0, 100) / 100.0;
    const int length = slot_int(s, 1, 0, 4096);
    const bool rows = clamped_slot(s, 2, 0, 1) >= 0.5;
    const std::uint32_t seed = seed_of(s, 3, rng);
    const int lines = rows ? pic.height : pic.width;
    std::vector<int> shift(static_cast<std::size_t>(lines), 0);
    for (int i = 0; i < lines; ++i) {
        const std::uint32_t h = mix_hash(seed, static_cast<std::uint32_t>(i));
        if ((h & 0xFFFF) < density * 65536.0)
            shift[static_cast<std::size_t>(i)] = static_cast<int>((h >> 16) % (2u * length + 1)) - length;
    }
    warp(pic, Outside::Extend, [&](double& u, double& v) {
        if (rows)
            u -= shift[static_cast<std::size_t>(v)];
        else
            v -= shift[static_cast<std::size_t>(u)];
        return true;
    });
}

// slot 0 amplitude (pixels), 1 wavelength (pixels), 2 direction (degrees),
// 3 phase (degrees): parallel wave fronts travelling along the direction
// push the picture back and forth along it.
void fx_waves(const IslStep& s, Picture pic, CrtRandom&)
{
    const double amplitude = clamped_slot(s, 0, -4096, 4096), k = 2 * kPi / clamped_slot(s, 1, 1, 100000);
    const double dir = clamped_slot(s, 2, -36000, 36000) * kPi / 180.0,
                 phase = clamped_slot(s, 3, -36000, 36000) * kPi / 180.0;
    const double ex = std::cos(dir), ey = -std::sin(dir);
    warp(pic, Outside::Extend, [&](double& u, double& v) {
        const double shift = amplitude * std::sin((u * ex + v * ey) * k + phase);
        u += shift * ex;
        v += shift * ey;
        return true;
    });
}

namespace {

// Tiles the whole picture columns x rows times; mirror flips every other tile
// so that neighbouring tiles meet edge to edge.
void tile_grid(Picture pic, int columns, int rows, bool mirror)
{
    const double w = pic.width, h = pic.height;
    warp(pic, Outside::Extend, [&](double& u, double& v) {
        const double tu = u * columns / w, tv = v * rows / h;
        const double iu = std::floor(tu), iv = std::floor(tv);
        double fu = tu - iu, fv = tv - iv;
        if (mirror && static_cast<long>(iu) % 2) fu = 1 - fu;
        if (mirror && static_cast<long>(iv) % 2) fv = 1 - fv;
        u = fu * w;
        v = fv * h;
        return true;
    });
}

}  // namespace

// slot 0 columns, 1 rows (1..64): the picture shrunk into a grid of copies.
void fx_divider(const IslStep& s, Picture pic, CrtRandom&)
{
    tile_grid(pic, slot_int(s, 0, 1, 64), slot_int(s, 1, 1, 64), false);
}

// slot 0 columns, 1 rows (1..64): as the divider, every other copy mirrored,
// which weaves the picture into a symmetric carpet pattern.
void fx_carpet(const IslStep& s, Picture pic, CrtRandom&)
{
    tile_grid(pic, slot_int(s, 0, 1, 64), slot_int(s, 1, 1, 64), true);
}

// slot 0 block size (pixels), 1 strength (percent, -100..100): glass bricks.
// Each block shows its own patch magnified (positive) or shrunk (negative)
// about the block's centre, like a pane of square lenses.
void fx_glass(const IslStep& s, Picture pic, CrtRandom&)
{
    const double size = clamped_slot(s, 0, 2, 4096), k = 1.0 - clamped_slot(s, 1, -100, 100) / 200.0;
    warp(pic, Outside::Extend, [&](double& u, double& v) {
        const double bu = (std::floor(u / size) + 0.5) * size, bv = (std::floor(v / size) + 0.5) * size;
        u = bu + (u - bu) * k;
        v = bv + (v - bv) * k;
        return true;
    });
}

// slot 0 block size (pixels), 1 depth (percent): cubes. Every block takes the
// colour at its centre and is shaded as a box lit from the top left: its top
// and left rims lighter, its bottom and right rims darker, by depth percent.
void fx_voxel(const IslStep& s, Picture pic, CrtRandom&)
{
    const int size = slot_int(s, 0, 1, 4096);
    const double depth = clamped_slot(s, 1, 0, 100) / 100.0;
    warp(pic, Outside::Extend, [&](double& u, double& v) {
        u = (std::floor(u / size) + 0.5) * size;
        v = (std::floor(v / size) + 0.5) * size;
        return true;
    });
    if (size < 3 || depth <= 0) return;
    const int rim = std::max(1, size / 8);
    for_each_plane_row(pic.width, pic.height, cost::kSimple, [&](int y) {
        std::uint8_t* px = pic.bgra + static_cast<std::size_t>(y) * pic.width * 4;
        const int ly = y % size;
        for (int x = 0; x < pic.width; ++x, px += 4) {
            const int lx = x % size;
            const bool light = ly < rim || lx < rim, dark = ly >= size - rim || lx >= size - rim;
            if (light == dark) continue;  // inside, or a corner shared by both rims
            for (int c = 0; c < 3; ++c)
                px[c] = static_cast<std::uint8_t>(light ? px[c] + (255 - px[c]) * depth + 0.5
                                                        : px[c] * (1 - depth) + 0.5);
        }
    });
}

// slot 0 scale (percent; 100 keeps the picture), 1 and 2 the centre
// (percent). Beyond the source the picture is transparent.
void fx_zoom(const IslStep& s, Picture pic, CrtRandom&)
{
    const double scale = clamped_slot(s, 0, 0, 100000) / 100.0;
    const double cx = centre_of(s, 1, pic.width), cy = centre_of(s, 2, pic.height);
    if (scale == 1.0) return;
    if (scale <= 1e-6) {
        std::memset(pic.bgra, 0, static_cast<std::size_t>(pic.width) * pic.height * 4);
        return;
    }
    warp(pic, Outside::Clear, [&](double& u, double& v) {
        u = cx + (u - cx) / scale;
        v = cy + (v - cy) / scale;
        return true;
    });
}

// slot 0 tilt back about the middle row (degrees, -80..80; positive leans the
// top edge away), 1 turn about the middle column (degrees, -80..80; positive
// brings the right edge nearer), 2 viewing distance (percent of the longer
// side). The picture is a card turned in space and seen in perspective: the
// side turned away shrinks; what the card does not cover stays clear.
void fx_tilt(const IslStep& s, Picture pic, CrtRandom&)
{
    const double ax = clamped_slot(s, 0, -80, 80) * kPi / 180.0,
                 ay = clamped_slot(s, 1, -80, 80) * kPi / 180.0;
    const double f = clamped_slot(s, 2, 10, 10000) / 100.0 * std::max(pic.width, pic.height);
    const double cx = pic.width / 2.0, cy = pic.height / 2.0;
    if (ax == 0.0 && ay == 0.0) return;
    // The card's point (p, q, 0) turned about x then y: a ray from the eye at
    // (0, 0, -f) through screen (sx, sy) meets the card where the plane
    // equation holds; solving for (p, q) gives the source.
    const double cax = std::cos(ax), sax = std::sin(ax), cay = std::cos(ay), say = std::sin(ay);
    // Card axes in space (x right, y down, z away from the eye), turned about
    // x by ax (the top edge leans away) and then about y by ay.
    const double e1x = cay, e1y = 0, e1z = -say;
    const double e2x = -sax * say, e2y = cax, e2z = -sax * cay;
    warp(pic, Outside::Clear, [&](double& u, double& v) {
        // Ray point: (sx t, sy t, f (t - 1)) for t > 0; card: a e1 + b e2.
        // Solve a e1 + b e2 = ray(t) as a 3 x 3 system in (a, b, t).
        const double sx = u - cx, sy = v - cy;
        // Columns: e1, e2, -(sx, sy, f); right side (0, 0, -f).
        const double m00 = e1x, m01 = e2x, m02 = -sx;
        const double m10 = e1y, m11 = e2y, m12 = -sy;
        const double m20 = e1z, m21 = e2z, m22 = -f;
        const double det =
            m00 * (m11 * m22 - m12 * m21) - m01 * (m10 * m22 - m12 * m20) + m02 * (m10 * m21 - m11 * m20);
        if (std::fabs(det) < 1e-12) return false;
        const double rz = -f;
        const double a = (m01 * m12 * rz - m02 * m11 * rz) / det;
        const double b = (m02 * m10 * rz - m00 * m12 * rz) / det;
        const double t = (m00 * m11 * rz - m01 * m10 * rz) / det;
        if (!(t > 0)) return false;
        u = cx + a;
        v = cy + b;
        return true;
    });
}

// slot 0 band (percent of half the picture, 1..100). Makes the picture tile
// without seams: near the edges it fades into the picture moved by half its
// size (wrapping), whose edges are neighbours in the original; the middle
// keeps the picture.
void fx_seamless(const IslStep& s, Picture pic, CrtRandom&)
{
    const double band = clamped_slot(s, 0, 1, 100) / 100.0;
    const int w = pic.width, h = pic.height;
    const std::vector<std::uint8_t> copy(pic.bgra, pic.bgra + static_cast<std::size_t>(w) * h * 4);
    const Source src{copy.data(), w, h, Outside::Wrap};
    for_each_plane_row(w, h, cost::kBlend, [&](int y) {
        std::uint8_t* out = pic.bgra + static_cast<std::size_t>(y) * w * 4;
        const double ey = 1.0 - std::fabs(2.0 * (y + 0.5) / h - 1.0);
        for (int x = 0; x < w; ++x, out += 4) {
            const double ex = 1.0 - std::fabs(2.0 * (x + 0.5) / w - 1.0);
            const double keep = std::min(1.0, std::min(ex, ey) / band);
            for (int c = 0; c < 4; ++c) {
                const double moved = src.at(x + w / 2, y + h / 2, c), own = src.at(x, y, c);
                out[c] = static_cast<std::uint8_t>(moved + (own - moved) * keep + 0.5);
            }
        }
    });
}

// slot 0 cell size (pixels), 1 and 2 the tile's centre (percent), 3 the tile's
// side (percent of the shorter side), 4 mirror (1 mirrors every other cell).
// A square tile cut from the picture is resampled to the cell size and
// repeated over the whole picture; mirrored cells make a seamless pattern.
void fx_patternize(const IslStep& s, Picture pic, CrtRandom&)
{
    const double cell = clamped_slot(s, 0, 1, 4096);
    const double side = std::max(1.0, clamped_slot(s, 3, 1, 100) / 100.0 * std::min(pic.width, pic.height));
    const double x0 = centre_of(s, 1, pic.width) - side / 2, y0 = centre_of(s, 2, pic.height) - side / 2;
    const bool mirror = clamped_slot(s, 4, 0, 1) >= 0.5;
    warp(pic, Outside::Extend, [&](double& u, double& v) {
        const double iu = std::floor(u / cell), iv = std::floor(v / cell);
        double fu = u / cell - iu, fv = v / cell - iv;
        if (mirror && static_cast<long>(iu) % 2) fu = 1 - fu;
        if (mirror && static_cast<long>(iv) % 2) fv = 1 - fv;
        u = x0 + fu * side;
        v = y0 + fv * side;
        return true;
    });
}

}  // namespace mve::il::isl_detail
