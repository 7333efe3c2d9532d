// View renderer internals: the zoom tables, the output helpers, and whole
// renders compared across thread counts and with the shortcuts turned off.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/runtime.h"
#include "morvane/morvane.h"
#include "view/view_composite.h"
#include "view/view_geometry.h"
#include "view/view_output.h"
#include "support/worker_threads.h"

namespace mve {
namespace {

ViewGeometry geometry(int x, int y, int w, int h, int factor, float step, int viewW = 1000, int viewH = 1000,
                      int canvasW = 100, int canvasH = 100)
{
    return build_view_geometry(clip_to_canvas(x, y, w, h, canvasW, canvasH), factor, step, viewW, viewH,
                               canvasW, canvasH);
}

TEST(ViewGeometry, InOrderFlagsMatchTheTables)
{
    // The output stage trusts these flags to read samples and Mask values side by side.
    const ViewGeometry views[] = {geometry(7, 3, 20, 5, 1, 1.0f), geometry(7, 3, 20, 5, 1, 2.5f),
                                  geometry(7, 3, 20, 5, 3, 1.0f)};
    const bool samples[] = {true, true, false}, masks[] = {true, false, false};
    for (int v = 0; v < 3; ++v) {
        const ViewGeometry& g = views[v];
        EXPECT_EQ(g.samplesInOrder, samples[v]) << "view " << v;
        EXPECT_EQ(g.maskInOrder, masks[v]) << "view " << v;
        for (int j = 0; j < g.outWidth; ++j) {
            if (g.samplesInOrder) {
                EXPECT_EQ(g.outSample[j], j);
            }
            if (g.maskInOrder) {
                EXPECT_EQ(g.maskColumn[j], g.maskColumn[0] + j);
            }
        }
    }
}

TEST(ViewGeometry, ClippingKeepsTheSizeOfANegativeStart)
{
    const CanvasRect r = clip_to_canvas(-3, -2, 5, 4, 10, 10);
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.y, 0);
    EXPECT_EQ(r.w, 5);
    EXPECT_EQ(r.h, 4);
    const CanvasRect over = clip_to_canvas(8, 7, 10, 10, 10, 10);
    EXPECT_EQ(over.w, 2);
    EXPECT_EQ(over.h, 3);
    EXPECT_TRUE(geometry(120, 0, 5, 5, 1, 1.0f).empty());  // entirely right of the canvas
}

TEST(ViewGeometry, OneToOneIsCappedByTheViewSize)
{
    const ViewGeometry g = geometry(4, 6, 10, 10, 1, 1.0f, 7, 3);
    EXPECT_EQ(g.zoom, ViewZoom::kOneToOne);
    EXPECT_EQ(g.outWidth, 7);
    EXPECT_EQ(g.outHeight, 3);
    EXPECT_EQ(g.sampleColumn.front(), 4);
    EXPECT_EQ(g.sampleColumn.back(), 10);
    EXPECT_EQ(g.rows.back().canvasRow, 8);
    EXPECT_TRUE(geometry(0, 0, 10, 10, 1, 1.0f, 0, 0).empty());
    // Equal factor and step mean 1:1 whatever the factor.
    EXPECT_EQ(geometry(0, 0, 10, 10, 2, 2.0f).zoom, ViewZoom::kOneToOne);
}

TEST(ViewGeometry, ReducedPositionsAccumulateTheStep)
{
    // Step 2.5 from x = 0 over 13 columns: last = trunc(13 * 0.4 - 1) = 4,
    // five columns at floor(j * 2.5) = 0, 2, 5, 7, 10.
    const ViewGeometry g = geometry(0, 1, 13, 13, 1, 2.5f);
    EXPECT_EQ(g.zoom, ViewZoom::kReduced);
    EXPECT_EQ(g.sampleColumn, (std::vector<int>{0, 2, 5, 7, 10}));
    ASSERT_EQ(g.rows.size(), 5u);
    const int rows[5] = {1, 3, 6, 8, 11};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(g.rows[i].canvasRow, rows[i]);
        EXPECT_EQ(g.rows[i].maskRow, rows[i]);  // trunc(1 + i * 2.5)
    }
    // Step 2 over 100: 50 x 50 at every second pixel.
    const ViewGeometry two = geometry(0, 0, 100, 100, 1, 2.0f);
    EXPECT_EQ(two.outWidth, 50);
    EXPECT_EQ(two.outHeight, 50);
    EXPECT_EQ(two.sampleColumn[49], 98);
    // trunc toward zero: from x = 0 one column of width 1 shows (trunc(-0.5) = 0),
    // from x = 5 none (trunc(4.5) = 4 < 5).
    EXPECT_EQ(geometry(0, 0, 1, 1, 1, 2.0f).outWidth, 1);
    EXPECT_TRUE(geometry(5, 5, 1, 1, 1, 2.0f).empty());
}

TEST(ViewGeometry, DegenerateStepsStayInsideTheCanvasAndTheView)
{
    // A step far below 1 with factor 0 is a reduced view that never advances:
    // the last position is beyond any int and is held at the view size.
    const ViewGeometry tiny = geometry(3, 3, 10, 10, 0, 1e-30f, 6, 4);
    EXPECT_EQ(tiny.outWidth, 6);
    EXPECT_EQ(tiny.outHeight, 4);
    for (int c : tiny.sampleColumn) EXPECT_EQ(c, 3);
    // Factor 0 or below with a smaller step magnifies by nothing.
    EXPECT_TRUE(geometry(0, 0, 10, 10, 0, -1.0f).empty());
    EXPECT_TRUE(geometry(0, 0, 10, 10, -2, -3.0f).empty());
    // A step of 0.5 (factor 0) shows each canvas column twice and stays inside 4 columns.
    const ViewGeometry half = geometry(0, 0, 4, 1, 0, 0.5f, 100, 100, 4, 1);
    EXPECT_EQ(half.sampleColumn, (std::vector<int>{0, 0, 1, 1, 2, 2, 3, 3}));
}

TEST(ViewGeometry, MagnifiedRunsAndCheckerColumns)
{
    // Factor 3 of (2, 0, 4, 2) in a 10-wide view: 12 columns capped to 10,
    // samples ceil(10 / 3) = 4 at columns 2..5, two canvas rows of 3 output rows.
    const ViewGeometry g = geometry(2, 0, 4, 2, 3, 1.0f, 10, 100);
    EXPECT_EQ(g.zoom, ViewZoom::kMagnified);
    EXPECT_EQ(g.outWidth, 10);
    EXPECT_EQ(g.outHeight, 6);
    EXPECT_EQ(g.sampleColumn, (std::vector<int>{2, 3, 4, 5}));
    EXPECT_EQ(g.outSample[8], 2);
    EXPECT_EQ(g.outSample[9], 3);
    EXPECT_EQ(g.checkerColumn[9], 11);  // output columns counted from canvas column 2
    EXPECT_EQ(g.maskColumn[9], 5);      // the Mask is read at the canvas column
    ASSERT_EQ(g.rows.size(), 2u);
    EXPECT_EQ(g.rows[1].canvasRow, 1);
    EXPECT_EQ(g.rows[1].outFirst, 3);
    EXPECT_EQ(g.rows[1].outEnd, 6);
}

TEST(ViewOutput, CheckerboardAndTintArithmetic)
{
    EXPECT_FALSE(checker_odd(31, 31));
    EXPECT_TRUE(checker_odd(32, 0));
    EXPECT_FALSE(checker_odd(32, 32));
    // A = 0: level * 65535 / 256 / 256 = 65534 (light), 40958 (dark).
    std::uint32_t light[3] = {7, 7, 7}, dark[3] = {7, 7, 7};
    apply_checker(light, 0, false);
    apply_checker(dark, 0, true);
    EXPECT_EQ(light[0], 65534u);
    EXPECT_EQ(dark[0], 40958u);
    // A = 49152, C = 0x1000: (49152*4096/256 + 40959*16383/256)/256 = (786432 + 2621216)/256 = 13311.
    std::uint32_t c[3] = {0x1000, 0, 0};
    apply_checker(c, 49152, true);
    EXPECT_EQ(c[0], 13311u);
    // Tint, strength on, m = 16384, C = 65535, T = 0 / 65280:
    // (16384*65535/256)/65536 = 4194240/65536 = 63; (4194240 + 49151*65280/256)/65536
    // = (4194240 + 12533505)/65536 = 255.
    const std::uint32_t rgb[3] = {65535, 65535, 65535};
    const std::uint32_t tint[3] = {0, 65280, 0};
    std::uint8_t out[3];
    tint_bytes(rgb, 16384, tint, true, out);
    EXPECT_EQ(out[0], 63);
    EXPECT_EQ(out[1], 255);
    // Strength off: m = 8192 + 32767 = 40959: (40959*65535/256)/65536 = 10485344/65536 = 159.
    tint_bytes(rgb, 16384, tint, false, out);
    EXPECT_EQ(out[0], 159);
}

// A scene with every kind of layer the renderer treats specially, random
// pixels with many fully transparent ones, a stroke, the Trace image and the
// Mask shown.
void random_scene(std::uint32_t seed, int w, int h)
{
    std::mt19937 rng(seed);
    auto value = [&] {
        const int kind = static_cast<int>(rng() % 6);
        if (kind == 0) return 0;
        if (kind == 1) return 0xFFFF;
        if (kind == 2) return 0xFF00;
        return static_cast<int>(rng() % 65536);
    };
    MVE_CreateImage(nullptr, w, h, 16, 0);
    const char* modes[] = {"Normal",  "Normal",       "Multiply",  "Alpha Normal",
                           "Normal",  "Layer Mask",   "Color",     "Alpha Shader Texture2",
                           "Overlay", "Alpha Filter", "Difference"};
    std::vector<unsigned short> plane(static_cast<std::size_t>(w) * h * 4);
    for (int index = 0; index <= 11; ++index) {
        MVE_CreateLayer(index, w, h);
        for (std::size_t i = 0; i < plane.size(); i += 4) {
            const bool clear = rng() % 3 == 0;
            for (int c = 0; c < 3; ++c) plane[i + c] = static_cast<unsigned short>(value());
            plane[i + 3] = clear ? 0 : static_cast<unsigned short>(value());
        }
        MVE_SetLayerData(plane.data(), index);
        if (index >= 1) MVE_SetLayerOptions(index, 1, index == 4, index == 6 ? 60 : 100, modes[index - 1]);
    }
    MVE_SetLayerOptions(11, 0, 0, 100, "Normal");
    MVE_SetLayer(4);
    MVE_SwapPaintLayer(11);  // layer 11's random pixels become the stroke
    MVE_SetAlphaLayerOpacity(70);
    std::vector<unsigned short> mask(static_cast<std::size_t>(w) * h);
    for (auto& m : mask) m = static_cast<unsigned short>(value());
    MVE_SetMaskData16(mask.data());
    MVE_SetMaskOptions(200, 30, 90, 10, 220, 140, static_cast<int>(seed & 1));
    MVE_DisplayMask(1);
    MVE_SetTracingMode(1);
}

std::vector<unsigned char> render(int factor, float step, int x, int y, int w, int h)
{
    MVE_SetScale(factor, step);
    MVE_SetViewSize(400, 400);
    std::vector<unsigned char> out(400 * 3 * 400, 0xAB);
    MVE_Render(out.data(), 400 * 3, x, y, w, h);
    return out;
}

struct Zoom {
    int factor;
    float step;
};
const Zoom kZooms[] = {{1, 1.0f}, {3, 1.0f}, {1, 2.5f}, {1, 1.3f}};

TEST(ViewRender, SameBytesWithOneOrTwoThreads)
{
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
        random_scene(seed, 90, 70);
        for (const Zoom& z : kZooms) {
            const auto one = [&] { WorkerThreads threads(1); return render(z.factor, z.step, 3, 2, 85, 66); }();
            const auto two = [&] { WorkerThreads threads(2); return render(z.factor, z.step, 3, 2, 85, 66); }();
            EXPECT_EQ(one, two) << "seed " << seed << " factor " << z.factor << " step " << z.step;
        }
    }
    MVE_DisplayMask(0);
    MVE_SetTracingMode(0);
    MVE_DeleteImage();
}

TEST(ViewRender, ShortcutsMatchTheFloatStage)
{
    for (std::uint32_t seed = 11; seed <= 14; ++seed) {
        random_scene(seed, 64, 48);
        for (const Zoom& z : kZooms) {
            const auto fast = render(z.factor, z.step, 0, 0, 64, 48);
            set_fast_paths(false);
            const auto plain = render(z.factor, z.step, 0, 0, 64, 48);
            set_fast_paths(true);
            EXPECT_EQ(fast, plain) << "seed " << seed << " step " << z.step;
        }
    }
    MVE_DisplayMask(0);
    MVE_SetTracingMode(0);
    MVE_DeleteImage();
}

TEST(ViewRender, MagnifiedCheckerCountsOutputColumns)
{
    MVE_CreateImage(nullptr, 20, 1, 16, 0);
    MVE_CreateLayer(1, 20, 1);
    MVE_SetLayerOptions(1, 0, 0, 100, "Normal");  // hidden: everything transparent
    MVE_SetLayer(1);
    const auto out = render(3, 1.0f, 0, 0, 20, 1);
    // Output column 31 (canvas column 10) is still a light cell, 32 is dark:
    // (40959 * 65535 / 256) / 256 = 40958 -> 159.
    EXPECT_EQ(out[31 * 3], 255);
    EXPECT_EQ(out[32 * 3], 159);
    // At 1:1 canvas column 10 is light.
    EXPECT_EQ(render(1, 1.0f, 0, 0, 20, 1)[10 * 3], 255);
    MVE_DeleteImage();
}

TEST(ViewRender, ReducedViewReadsTheMaskRowDirectly)
{
    // 1 x 8 canvas, step 2.5: rows 0, 2, 5 (accumulator) and Mask rows
    // trunc(i * 2.5) = 0, 2, 5. Only Mask row 5 is unselected: output row 2 is tinted.
    MVE_CreateImage(nullptr, 1, 8, 16, 0);
    MVE_CreateLayer(1, 1, 8);
    MVE_SetLayerOptions(1, 1, 0, 100, "Normal");
    MVE_SetLayer(1);
    std::vector<unsigned short> mask(8, 65535);
    mask[5] = 0;
    MVE_SetMaskData16(mask.data());
    MVE_SetMaskOptions(0, 0, 0, 0, 0, 0, 1);  // black tint at full strength
    MVE_DisplayMask(1);
    const auto out = render(1, 2.5f, 0, 0, 1, 8);
    EXPECT_EQ(out[0 * 1200], 255);
    EXPECT_EQ(out[1 * 1200], 255);
    EXPECT_EQ(out[2 * 1200], 0);     // (0 * C / 256 + 65535 * 0 / 256) / 65536
    EXPECT_EQ(out[3 * 1200], 0xAB);  // last row trunc(8 * 0.4 - 1) = 2
    MVE_DisplayMask(0);
    MVE_DeleteImage();
}

}  // namespace
}  // namespace mve
