// Geometric effects: mirror axes, reflection rows, border rings, gallery wrap
// and the vignette's shape mask, on one-column and tiny images.
#include "effects_test_rig.h"

using namespace effects_test;

namespace {

using EffectsFrame = EffectsTest;

// A column (or row) whose red channel is 10 * index, opaque.
Img ramp(int w, int h)
{
    Img in(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) in.set(x, y, {10 * (x + y), 0, 0, 255});
    return in;
}

std::vector<int> reds(const Img& img)
{
    std::vector<int> out;
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) out.push_back(img.at(x, y)[0]);
    return out;
}

TEST_F(EffectsFrame, MirrorAxes)
{
    // H = 6, H/2 = 3. P1 = 1: d = 6 - 3 = 3, rows 4, 5 take rows 2, 1.
    EXPECT_EQ(reds(run("Mirror", ramp(1, 6), args({1000}))), (std::vector<int>{0, 10, 20, 30, 20, 10}));
    // P2 = 0.67: k = trunc(2.01) = 2, rows 0, 1 take rows 4, 3.
    EXPECT_EQ(reds(run("Mirror", ramp(1, 6), args({0, 670}))), (std::vector<int>{40, 30, 20, 30, 40, 50}));
    // Columns likewise with P3 and P4.
    EXPECT_EQ(reds(run("Mirror", ramp(6, 1), args({0, 0, 1000}))), (std::vector<int>{0, 10, 20, 30, 20, 10}));
    EXPECT_EQ(reds(run("Mirror", ramp(6, 1), args({0, 0, 0, 670}))), (std::vector<int>{40, 30, 20, 30, 40, 50}));
    // Both vertical mirrorings: the second reads what the first flushed:
    // 0 10 20 30 20 10 -> rows 0, 1 take rows 4, 3 = 20, 30.
    EXPECT_EQ(reds(run("Mirror", ramp(1, 6), args({1000, 670}))), (std::vector<int>{20, 30, 20, 30, 20, 10}));
    // P2 = 1: k = 3, row 0 takes row 6, outside the image: zeros.
    Img top = run("Mirror", ramp(1, 6), args({0, 1000}));
    EXPECT_EQ(top.at(0, 0), (Rgba{0, 0, 0, 0}));
    EXPECT_EQ(top.at(0, 1), (Rgba{50, 0, 0, 255}));
}

TEST_F(EffectsFrame, ReflectionBelowTheLowestOpaqueRow)
{
    // Rows 0..2 opaque red 10, 20, 30; rows 3..5 transparent. P1 = 1: horizon
    // d = 0; the lowest non-transparent row is e = 2. P4 = 0.25: the source row
    // moves up one per row: s = 1, 0, -1, -2. P2 = 1, P3 = 0.5: the alpha factor
    // falls by 1 * 0.5 / max(6/16, 1) = 0.5 per row: 1, 0.5, 0, -0.5.
    Img in(1, 6);
    for (int y = 0; y < 3; ++y) in.set(0, y, {10 * (y + 1), 0, 0, 255});
    Img out = run("Reflection", in, args({1000, 1000, 500, 250}));
    EXPECT_EQ(out.at(0, 0), (Rgba{10, 0, 0, 255}));
    EXPECT_EQ(out.at(0, 1), (Rgba{20, 0, 0, 255}));
    EXPECT_EQ(out.at(0, 2), (Rgba{20, 0, 0, 255}));  // row 1 at factor 1
    EXPECT_EQ(out.at(0, 3), (Rgba{10, 0, 0, 127}));  // row 0 at factor 0.5
    EXPECT_EQ(out.at(0, 4), (Rgba{0, 0, 0, 0}));      // rows above the image read zeros
    EXPECT_EQ(out.at(0, 5), (Rgba{0, 0, 0, 0}));
    // I4: start at the horizon, e = d - 1. P1 = 0.6: d = trunc(0.4 * 5) = 2, e = 1;
    // factor 1 throughout (P3 = 0); rows 1.. take rows 0, -1, ...
    Img fixed = run("Reflection", in, args({600, 1000, 0, 250}, {0, 0, 0, 1}));
    EXPECT_EQ(fixed.at(0, 1), (Rgba{10, 0, 0, 255}));
    EXPECT_EQ(fixed.at(0, 2), (Rgba{0, 0, 0, 0}));
    // A column that is opaque down to the bottom row (e = H - 1) is skipped.
    Img full = ramp(1, 6);
    EXPECT_EQ(run("Reflection", full, args({1000, 1000, 0, 250})).px, full.px);
}

TEST_F(EffectsFrame, BorderizeRings)
{
    // 5 x 5, red = x + 10 y. P2 = 1: trunc(5/2 * 1) = 2 rings; the centre stays.
    Img in(5, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) in.set(x, y, {x + 10 * y, 0, 0, 255});
    // P1 = 0: each ring takes its own top-left pixel: (0,0) = 0 and (1,1) = 11.
    Img tl = run("Borderize", in, args({0, 1000}));
    EXPECT_EQ(tl.at(4, 2)[0], 0);
    EXPECT_EQ(tl.at(0, 4)[0], 0);
    EXPECT_EQ(tl.at(3, 1)[0], 11);
    EXPECT_EQ(tl.at(1, 3)[0], 11);
    EXPECT_EQ(tl.at(2, 2)[0], 22);
    // P1 = 0.5: the start of the bottom edge from the right: (4,4) = 44 and (3,3) = 33.
    Img br = run("Borderize", in, args({500, 1000}));
    EXPECT_EQ(br.at(0, 0)[0], 44);
    EXPECT_EQ(br.at(2, 1)[0], 33);
    EXPECT_EQ(br.at(2, 2)[0], 22);
}

TEST_F(EffectsFrame, GalleryWrapMirrorsOutOfTheExtents)
{
    // Opaque rows 1 and 2 (red 10, 20) in a 1 x 5 column: extents y 1..2.
    // Below row 2: row 3 takes row 1, row 4 takes row 0 (transparent).
    // Above row 1: row 0 takes row 2.
    Img in(1, 5);
    in.set(0, 1, {10, 0, 0, 255});
    in.set(0, 2, {20, 0, 0, 255});
    Img out = run("Gallery Wrap Mirror Auto", in, args({}));
    EXPECT_EQ(out.at(0, 0), (Rgba{20, 0, 0, 255}));
    EXPECT_EQ(out.at(0, 1), (Rgba{10, 0, 0, 255}));
    EXPECT_EQ(out.at(0, 3), (Rgba{10, 0, 0, 255}));
    EXPECT_EQ(out.at(0, 4), (Rgba{0, 0, 0, 0}));
}

// Alpha of every pixel as a string of '#' (kept) and '.' (0), row by row.
std::string alpha_map(const Img& img, int kept)
{
    std::string s;
    for (int y = 0; y < img.h; ++y) {
        for (int x = 0; x < img.w; ++x) s += img.at(x, y)[3] == kept ? '#' : img.at(x, y)[3] == 0 ? '.' : '?';
        s += '\n';
    }
    return s;
}

TEST_F(EffectsFrame, VignetteShapes)
{
    // I5 = 2: background 0, shape 255; P4 = 0: blur radius 0.1 (no visible blur);
    // I4 = 1: outside fades to transparent, so alpha shows the shape.
    Img in(6, 4, {50, 60, 70, 200});
    // Rectangle (I6 = 1), P5 = 0.25: hm = 1, wm = 1; b = (4 - 2)/2 = 1, a = (6 - 2)/2 = 2:
    // columns 2..3 (right edge W - a - 1 = 3 inclusive), rows 1..2 (H - b = 3 exclusive).
    Img rect = run("Vignette", in, args({0, 0, 0, 0, 250}, {0, 0, 0, 1, 2, 1}));
    EXPECT_EQ(alpha_map(rect, 200), "......\n..##..\n..##..\n......\n");
    EXPECT_EQ(rect.at(0, 0), (Rgba{50, 60, 70, 0}));  // colour kept without I3
    // I7: both margins (W - 2 wm) / 2 = 2 since W >= H; b = 2 is not below H - b = 2: no shape.
    EXPECT_EQ(alpha_map(run("Vignette", in, args({0, 0, 0, 0, 250}, {0, 0, 0, 1, 2, 1, 1})), 200),
              "......\n......\n......\n......\n");
    // I5 = 1 with P6 = 1: the shape is drawn at 255 and f = 1 - mask: inside
    // f = 0 gives alpha A0 = 1 (I4 = 0) -> 255; outside f = 1 keeps 200.
    Img inverse = run("Vignette", in, args({0, 0, 0, 0, 250, 1000}, {0, 0, 0, 0, 1, 1}));
    EXPECT_EQ(inverse.at(2, 1)[3], 255);
    EXPECT_EQ(inverse.at(0, 0)[3], 200);
    // I3 = 1 mixes the colour toward V = (1, 0, 0.5) -> (255, 0, 127) outside;
    // inside (f = 1) the colour stays; a transparent pixel inside takes V.
    Img hole = in;
    hole.set(3, 2, {1, 2, 3, 0});
    Img tinted = run("Vignette", hole, args({1000, 0, 500, 0, 250}, {0, 0, 1, 1, 2, 1}));
    EXPECT_EQ(tinted.at(0, 0), (Rgba{255, 0, 127, 0}));
    EXPECT_EQ(tinted.at(2, 1), (Rgba{50, 60, 70, 200}));
    EXPECT_EQ(tinted.at(3, 2), (Rgba{255, 0, 127, 0}));
    // Ellipse (I6 = 0) on 9 x 9 with P5 = 0.5: a = b = 0, radii 4 about (4, 4):
    // inside where dx^2 + dy^2 <= 16.
    Img disc(9, 9, {10, 10, 10, 255});
    Img ell = run("Vignette", disc, args({0, 0, 0, 0, 500}, {0, 0, 0, 1, 2, 0}));
    EXPECT_EQ(ell.at(4, 0)[3], 255);  // distance 4
    EXPECT_EQ(ell.at(1, 2)[3], 255);  // 9 + 4 = 13
    EXPECT_EQ(ell.at(1, 1)[3], 0);    // 9 + 9 = 18
    EXPECT_EQ(ell.at(0, 3)[3], 0);    // 16 + 1 = 17
    EXPECT_EQ(ell.at(8, 4)[3], 255);
}

}  // namespace
