// Demo: brush tools. Builds a generated grit brush, a grit from an image
// script, a picture brush rotated by 30 degrees and a soft round brush, and
// writes each brush shape and grit pattern as a picture.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "demo.h"
#include "morvane/morvane.h"

namespace {

using namespace mve_host;

constexpr int kMaxBrush = 128;  // the canvas step's maximum brush size
constexpr int kBrush = 64;      // full size used here
constexpr int kGritSide = kBrush + 25;

std::vector<unsigned short> read_shape()
{
    std::vector<unsigned short> s(kMaxBrush * kMaxBrush);
    MVE_GetBrushShape16(s.data());
    return s;
}

std::vector<unsigned char> read_grit(int index)
{
    std::vector<unsigned char> g((kMaxBrush + 25) * (kMaxBrush + 25));
    MVE_GetGritPattern(index, g.data());
    return g;
}

// Writes the used n x n square of a grey plane (row stride kMaxBrush) as RGB.
template <class T>
bool write_grey(DemoContext& ctx, const std::string& name, const std::vector<T>& plane, int n, int shift)
{
    std::vector<unsigned char> rgb(static_cast<std::size_t>(n) * n * 3);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const unsigned char v = static_cast<unsigned char>(plane[static_cast<std::size_t>(y) * kMaxBrush + x] >> shift);
            for (int c = 0; c < 3; ++c) rgb[(static_cast<std::size_t>(y) * n + x) * 3 + c] = v;
        }
    const std::string path = ctx.outDir + "/" + name;
    say("wrote %s", path.c_str());
    return check(write_png(path, rgb.data(), n, n, 3), name.c_str());
}

// The tool with the given grit and shape; other values fixed.
void set_tool(int dot, const char* grit, int softness, const char* shape, int angle)
{
    MVE_SetTool(1.0f, dot, 110, 210, softness, 0, 12, 64, 32, 0, 0, 0, 0, grit, shape, angle);
}

// An arrow pointing right, white on black, drawn by the demo itself.
bool write_arrow_picture(const std::string& path)
{
    const int w = 96, h = 96;
    std::vector<unsigned char> rgba(static_cast<std::size_t>(w) * h * 4, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int dy = std::abs(y - h / 2);
            const bool shaft = x >= 10 && x < 56 && dy < 10;
            const bool head = x >= 56 && x < 90 && dy < (90 - x);
            unsigned char* p = &rgba[(static_cast<std::size_t>(y) * w + x) * 4];
            p[0] = p[1] = p[2] = (shaft || head) ? 255 : 0;
            p[3] = 255;
        }
    return write_png(path, rgba.data(), w, h, 4);
}

bool brush_tools(DemoContext& ctx)
{
    MVE_SetSize(kBrush);
    MVE_SetRandomSeed(42);

    // 1. Generated grit: dots of 3 pixels from the tool random tables.
    set_tool(3, "", 0, "", 0);
    const auto grit1 = read_grit(0);
    set_tool(3, "", 0, "", 0);
    if (!check(read_grit(0) == grit1, "same seed, same grit")) return false;
    int dotted = 0;
    for (int y = 0; y < kGritSide; ++y)
        for (int x = 0; x < kGritSide; ++x) dotted += grit1[static_cast<std::size_t>(y) * kMaxBrush + x] != 255;
    say("generated grit: %d of %d pixels carry a dot level", dotted, kGritSide * kGritSide);
    if (!check(dotted > 0 && dotted < kGritSide * kGritSide, "generated grit has dots and gaps")) return false;
    if (!write_grey(ctx, "brush_grit_generated.png", grit1, kGritSide, 0)) return false;

    // 2. Grit from an image script: paper plasma with speckles.
    const std::string script = ctx.outDir + "/paper.isl";
    std::ofstream(script) << "ISL 1\nsize 160 160\nseed 11\n"
                             "plasma roughness=60 color1=90,90,90 color2=255,255,255\n"
                             "points count=300 size=2 vary=60 color2=20,20,20 opacity=70\n";
    set_tool(0, script.c_str(), 0, "", 0);
    const auto grit2 = read_grit(0);
    if (!check(grit2 != grit1, "script grit replaces the generated one")) return false;
    say("script grit from %s", script.c_str());
    if (!write_grey(ctx, "brush_grit_script.png", grit2, kGritSide, 0)) return false;

    // 3. Picture brush: the demo's arrow, rotated by 30 degrees.
    const std::string arrow = ctx.outDir + "/arrow_shape.png";
    if (!check(write_arrow_picture(arrow), "write arrow picture")) return false;
    set_tool(0, "", 0, arrow.c_str(), 30);
    const auto picture = read_shape();
    // The rotated arrow's tip points up and right: the upper right quarter
    // carries more coverage than the lower right one.
    long upper = 0, lower = 0;
    for (int y = 0; y < kBrush / 2; ++y)
        for (int x = kBrush / 2; x < kBrush; ++x) {
            upper += picture[static_cast<std::size_t>(y) * kMaxBrush + x];
            lower += picture[static_cast<std::size_t>(y + kBrush / 2) * kMaxBrush + x];
        }
    say("arrow brush at 30 degrees: upper right coverage %ld, lower right %ld", upper >> 16, lower >> 16);
    if (!check(upper > lower, "arrow turned counter-clockwise")) return false;
    if (!write_grey(ctx, "brush_shape_arrow30.png", picture, kBrush, 8)) return false;

    // 4. Soft round brush (softness 200 of 255).
    set_tool(0, "", 200, "", 0);
    const auto round = read_shape();
    const int c = kBrush / 2;
    say("soft round brush: centre %u, half radius %u, rim %u", round[static_cast<std::size_t>(c) * kMaxBrush + c],
        round[static_cast<std::size_t>(c) * kMaxBrush + c + kBrush / 4],
        round[static_cast<std::size_t>(c) * kMaxBrush + kBrush - 1]);
    if (!check(round[static_cast<std::size_t>(c) * kMaxBrush + c] == 65535 &&
                   round[static_cast<std::size_t>(c) * kMaxBrush + c + kBrush / 4] < 65535,
               "soft edge"))
        return false;
    if (!write_grey(ctx, "brush_shape_soft_round.png", round, kBrush, 8)) return false;

    MVE_UnloadBrushShape();
    MVE_SetRandomSeed(0);
    return true;
}

}  // namespace

MVE_DEMO_STEP(800, "brush tools: grit patterns and brush shapes", brush_tools);
