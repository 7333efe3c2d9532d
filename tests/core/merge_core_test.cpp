// Merge core: expected values worked from the per-pixel rules on 1-pixel
// planes. Colours are on the 65280 scale (32640 = 0.5, 16320 = 0.25,
// 48960 = 0.75), chosen so the exact results sit clear of truncation edges.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

#include "core/alpha_modes.h"
#include "core/blend_modes.h"
#include "core/merge_core.h"
#include "core/merge_modes.h"
#include "core/merge_pixel.h"
#include "core/runtime.h"
#include "engine/engine.h"
#include "morvane/morvane.h"
#include "support/worker_threads.h"

namespace mve {
namespace {

using Px = std::array<std::uint16_t, 4>;

struct Opts {
    int opacity = 256;
    int level = 255;
    bool lock = false;
    bool same = false;
    const Px* mask = nullptr;
};

// Merges one source pixel into one destination pixel and returns the result.
Px merge1(Px src, Px dst, int mode, Opts o = {})
{
    merge_rgba64(src.data(), 0, 0, 1, 1, 4, o.mask ? o.mask->data() : nullptr, dst.data(), 0, 0, 4, mode,
                 o.mask ? kLayerMaskMode : 0, o.opacity, o.level, o.lock, o.same);
    return dst;
}

// Sets the alpha-layer opacity O for one test and restores it after.
struct AlphaLayerOpacity {
    std::uint16_t saved = engine().layers.alphaLayerOpacity;
    explicit AlphaLayerOpacity(std::uint16_t v) { engine().layers.alphaLayerOpacity = v; }
    ~AlphaLayerOpacity() { engine().layers.alphaLayerOpacity = saved; }
};

const Px kTransparent = {0, 0, 0, 0};

TEST(MergeCoreShortcuts, OpaqueNormalCopiesSourceExactly)
{
    // a = 0xFFFF > 0xFEFF with mode 0: the source is written as it is, 0xFFFF colours included.
    EXPECT_EQ(merge1({0xFFFF, 0x1234, 0, 0xFFFF}, {100, 200, 300, 0x8000}, kNormal),
              (Px{0xFFFF, 0x1234, 0, 0xFFFF}));
    // Lock alpha keeps the destination alpha.
    EXPECT_EQ(merge1({0xFFFF, 7, 8, 0xFFFF}, {1, 2, 3, 0x1000}, kNormal, {.lock = true}),
              (Px{0xFFFF, 7, 8, 0x1000}));
}

TEST(MergeCoreShortcuts, TransparentSourceAndDestination)
{
    // a = 0 in a colour mode: nothing written, even over a transparent destination.
    EXPECT_EQ(merge1({9, 9, 9, 0}, {5, 6, 7, 0}, kMultiply), (Px{5, 6, 7, 0}));
    // Normal onto a transparent destination copies the source with its alpha (no 65280 limit).
    EXPECT_EQ(merge1({0xFFFF, 2000, 3000, 0x4000}, kTransparent, kNormal), (Px{0xFFFF, 2000, 3000, 0x4000}));
    // Modes 20, 21, 27, 28, 29 need something beneath: (0, 0, 0, 0).
    for (int mode : {kColor, kHardColor, kTexturize, kTexturize2, kTexturize3})
        EXPECT_EQ(merge1({1000, 2000, 3000, 0xFFFF}, {500, 500, 500, 0}, mode), kTransparent) << mode;
    // An alpha mode with a = 0 onto a transparent destination writes (0, 0, 0, 0);
    // over an opaque destination it leaves it alone.
    EXPECT_EQ(merge1({9, 9, 9, 0}, {5, 6, 7, 0}, kAlphaNormal), kTransparent);
    EXPECT_EQ(merge1({9, 9, 9, 0}, {5, 6, 7, 0xFFFF}, kAlphaNormal), (Px{5, 6, 7, 0xFFFF}));
}

TEST(MergeCoreShortcuts, HalfTransparentNormalStaysAtOrBelow65280)
{
    // White a = 0x8000 over opaque white: Dc = 65535/65280 > 1, the float stage clamps to 65280.
    EXPECT_EQ(merge1({0xFFFF, 0xFFFF, 0xFFFF, 0x8000}, {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}, kNormal),
              (Px{65280, 65280, 65280, 65535}));
    // Sa = 32768/65535; s = (1, 0, .5), d = (0, 1, 1):
    // r = Sa*65280 = 32640.5; g = (1-Sa)*65280 = 32639.5; b = .5 Sa + (1 - Sa) -> 48959.75;
    // alpha = 32768 + 65535*32767/65535 = 65535.
    EXPECT_EQ(merge1({65280, 0, 32640, 32768}, {0, 65280, 65280, 65535}, kNormal),
              (Px{32640, 32639, 48959, 65535}));
    // A seeded sweep: partly transparent Normal never exceeds 65280 and keeps an opaque destination opaque.
    std::mt19937 rng(7);
    for (int i = 0; i < 20000; ++i) {
        const auto v = [&] { return static_cast<std::uint16_t>(rng() & 0xFFFF); };
        const std::uint16_t a = static_cast<std::uint16_t>(1 + rng() % 0xFEFF);
        const Px out = merge1({v(), v(), v(), a}, {v(), v(), v(), 0xFFFF}, kNormal);
        ASSERT_LE(std::max({out[0], out[1], out[2]}), 65280) << "case " << i;
        ASSERT_EQ(out[3], 65535) << "case " << i;
    }
}

TEST(MergeCoreScaling, OpacityLevelAndLayerMask)
{
    const Px src = {1, 2, 3, 0x8000};
    // Onto a transparent destination the scaled alpha is visible directly.
    EXPECT_EQ(merge1(src, kTransparent, kNormal, {.opacity = 256})[3], 0x8000);
    EXPECT_EQ(merge1(src, kTransparent, kNormal, {.opacity = 255})[3], 0x8000);
    EXPECT_EQ(merge1(src, kTransparent, kNormal, {.opacity = 128})[3], (129 * 0x8000) >> 8);  // 16512
    EXPECT_EQ(merge1(src, kTransparent, kNormal, {.level = 127})[3], 0x4000);                 // (128 a) >> 8
    // Layer mask: mean grey (30000 + 30000 + 30001) / 3 = 30000; a = (30000 * 65535) >> 16 = 29999.
    const Px mask = {30000, 30000, 30001, 1};
    EXPECT_EQ(merge1({1, 2, 3, 0xFFFF}, kTransparent, kNormal, {.mask = &mask}), (Px{1, 2, 3, 29999}));
    // A mask pixel without alpha leaves a alone.
    const Px clearMask = {0, 0, 0, 0};
    EXPECT_EQ(merge1({1, 2, 3, 0xFFFF}, kTransparent, kNormal, {.mask = &clearMask}), (Px{1, 2, 3, 0xFFFF}));
}

TEST(MergeCoreModes, Separable)
{
    const Px opaque = {0, 0, 0, 0xFFFF};
    auto px = [&](std::uint16_t r, std::uint16_t g, std::uint16_t b) { return Px{r, g, b, opaque[3]}; };
    // Multiply, both opaque: s d = (.5 x 1, 1 x .5, 0 x 1).
    EXPECT_EQ(merge1(px(32640, 65280, 0), px(65280, 32640, 65280), kMultiply), px(32640, 32640, 0));
    // Screen: s + d - s d with s = (.5, 0, 1), d = (.5, 1, .25) -> (.75, 1, 1).
    EXPECT_EQ(merge1(px(32640, 0, 65280), px(32640, 65280, 16320), kScreen), px(48960, 65280, 65280));
    // Darken / Lighten of s = (.5, .25, 1), d = (.25, .5, 1).
    EXPECT_EQ(merge1(px(32640, 16320, 65280), px(16320, 32640, 65280), kDarken), px(16320, 16320, 65280));
    EXPECT_EQ(merge1(px(32640, 16320, 65280), px(16320, 32640, 65280), kLighten), px(32640, 32640, 65280));
    // Difference |s - d| of s = (.75, .25, 0), d = (.25, .75, .5).
    EXPECT_EQ(merge1(px(48960, 16320, 0), px(16320, 48960, 32640), kDifference), px(32640, 32640, 32640));
    // Negation and Exclusion: s + d - 2 s d; s = (.5, 1, .25), d = (.5, .5, 0) -> (.5, .5, .25).
    for (int mode : {kNegation, kExclusion})
        EXPECT_EQ(merge1(px(32640, 65280, 16320), px(32640, 32640, 0), mode), px(32640, 32640, 16320));
    // Soft Light: r: s .25 < .5, d .5: d((2s-1)(1-d)+1) = .375; g: s .75, d .0625 (8d <= 1):
    // d(1 + .5 x .9375 x 2.5) = .1357421875 -> 8861.25; b: s .75, d .25: d + .5(.5 - .25) = .375.
    EXPECT_EQ(merge1(px(16320, 48960, 48960), px(32640, 4080, 16320), kSoftLight), px(24480, 8861, 24480));
    // Overlay / Hard Light with d = .25, s = .75: Overlay (2d < 1) 2 s d = .375;
    // Hard Light (2s >= 1) 1 - 2(1 - d)(1 - s) = .625.
    EXPECT_EQ(merge1(px(48960, 48960, 48960), px(16320, 16320, 16320), kOverlay), px(24480, 24480, 24480));
    EXPECT_EQ(merge1(px(48960, 48960, 48960), px(16320, 16320, 16320), kHardLight), px(40800, 40800, 40800));
    // Dodge: s .5, d .25: s + d < 1 -> d / (1 - s) = .5; Burn: s .5, d .75: (s + d - 1) / s = .5.
    EXPECT_EQ(merge1(px(32640, 32640, 32640), px(16320, 16320, 16320), kDodge), px(32640, 32640, 32640));
    EXPECT_EQ(merge1(px(32640, 32640, 32640), px(48960, 48960, 48960), kBurn), px(32640, 32640, 32640));
    // Union alpha over a half-transparent destination: 16384 + 32768 x 49151 / 65535 = 16384 + 24575.9.
    EXPECT_EQ(merge1({32640, 0, 0, 0x4000}, {32640, 0, 0, 0x8000}, kMultiply)[3], 40959);
}

TEST(MergeCoreModes, BitwiseAndAdditive)
{
    // x = trunc(.5 x 65535) = 0x7FFF, y = trunc(.25 x 65535) = 0x3FFF; result / 65535 x 65280:
    // AND 0x3FFF -> 16319.2, OR 0x7FFF -> 32639.5, XOR 0x4000 -> 16320.2.
    const Px s = {32640, 0, 0, 0xFFFF}, d = {16320, 0, 0, 0xFFFF};
    EXPECT_EQ(merge1(s, d, kAnd)[0], 16319);
    EXPECT_EQ(merge1(s, d, kOr)[0], 32639);
    EXPECT_EQ(merge1(s, d, kXor)[0], 16320);
    // Add: .25 + .5 = .75; Subtract: s + d - 1: r .25 + .5 - 1 < 0 -> 0, g .75 + .5 - 1 = .25.
    EXPECT_EQ(merge1({16320, 0, 0, 0xFFFF}, {32640, 0, 0, 0xFFFF}, kAdd), (Px{48960, 0, 0, 65535}));
    EXPECT_EQ(merge1({16320, 48960, 0, 0xFFFF}, {32640, 32640, 0, 0xFFFF}, kSubtract),
              (Px{0, 16320, 0, 65535}));
    // Sum alpha: 0x4000 + 0x8000 = 0xC000.
    EXPECT_EQ(merge1({16320, 0, 0, 0x4000}, {32640, 0, 0, 0x8000}, kAdd)[3], 0xC000);
}

TEST(MergeCoreModes, LuminanceShift)
{
    // Destination grey .25: L = .75 x 0.33333334 = .250000005 < .5, k = |L - .5| Sa.
    // Color: s - k = (.5, .75, 1) - .249999995 -> 16320, 32640, 48960.
    const Px grey = {16320, 16320, 16320, 0xFFFF};
    EXPECT_EQ(merge1({32640, 48960, 65280, 0xFFFF}, grey, kColor), (Px{16320, 32640, 48960, 65535}));
    // Hard Color: k x 1.75 = .43749999: (.0625, .3125, .5625) -> 4080, 20400, 36720.
    EXPECT_EQ(merge1({32640, 48960, 65280, 0xFFFF}, grey, kHardColor), (Px{4080, 20400, 36720, 65535}));
    // Result alpha is the destination's.
    EXPECT_EQ(merge1({32640, 48960, 65280, 0x8000}, {16320, 16320, 16320, 0x9000}, kColor)[3], 0x9000);
}

TEST(MergeCoreModes, Hsl)
{
    const Px red = {65280, 0, 0, 0xFFFF};
    // HSL Color: hue and saturation of red (0, 1), lightness .5 of the grey -> (1, 0, 0).
    EXPECT_EQ(merge1(red, {32640, 32640, 32640, 0xFFFF}, kHslColor), (Px{65280, 0, 0, 65535}));
    // HSL Lum: hue/sat of red destination, lightness .25 of the grey source: hi = .5, lo = 0.
    EXPECT_EQ(merge1({16320, 16320, 16320, 0xFFFF}, red, kHslLum), (Px{32640, 0, 0, 65535}));
    // HSL Hue: hue 120 of green onto red (S 1, L .5) -> green.
    EXPECT_EQ(merge1({0, 65280, 0, 0xFFFF}, red, kHslHue), (Px{0, 65280, 0, 65535}));
    // HSL Sat: grey source (S 0) onto (.75, .25, .25) (L .5) -> grey .5.
    EXPECT_EQ(merge1({16320, 16320, 16320, 0xFFFF}, {48960, 16320, 16320, 0xFFFF}, kHslSat),
              (Px{32640, 32640, 32640, 65535}));
    // Colorize: grey of (.25, .5, 1) = (.75 + 2 + 1) / 8 = .46875; red at that lightness: hi = .9375.
    EXPECT_EQ(merge1(red, {16320, 32640, 65280, 0xFFFF}, kColorize), (Px{61200, 0, 0, 65535}));
}

TEST(MergeCoreModes, Texture)
{
    const Px src = {48960, 48960, 48960, 0xFFFF};  // T = .75
    const Px dst = {32640, 32640, 32640, 0xFFFF};  // d = .5
    // Texturize: L = 1.5 x 0.33333334 + .25 = .75000001; d + (L - .5) 1.75 = .9375 -> 61200.
    EXPECT_EQ(merge1(src, dst, kTexturize), (Px{61200, 61200, 61200, 65535}));
    // Texturize2: d + (T - .5) 1.75 = .9375.
    EXPECT_EQ(merge1(src, dst, kTexturize2), (Px{61200, 61200, 61200, 65535}));
    // Over a half-transparent destination the straight result is divided by Da again: .9375 / .5 -> clamp.
    EXPECT_EQ(merge1(src, {32640, 32640, 32640, 0x8000}, kTexturize2), (Px{65280, 65280, 65280, 0x8000}));
    // Texturize3 keeps the destination colour (clamped to 65280) and alpha.
    EXPECT_EQ(merge1(src, {16320, 32640, 65535, 0xFFFF}, kTexturize3), (Px{16320, 32640, 65280, 65535}));
}

TEST(MergeCoreModes, NormalLookAlikes)
{
    std::mt19937 rng(11);
    for (int i = 0; i < 2000; ++i) {
        const Px s = {static_cast<std::uint16_t>(rng()), static_cast<std::uint16_t>(rng()),
                      static_cast<std::uint16_t>(rng()),
                      static_cast<std::uint16_t>(rng() % 3 ? rng() : 0xFFFF)};
        const Px d = {static_cast<std::uint16_t>(rng()), static_cast<std::uint16_t>(rng()),
                      static_cast<std::uint16_t>(rng()), static_cast<std::uint16_t>(rng())};
        for (int mode : {kReflect, kGlow, kSilhouette})
            ASSERT_EQ(merge1(s, d, mode), merge1(s, d, kNormal)) << "mode " << mode << " case " << i;
    }
}

TEST(MergeCoreAlphaModes, RewritesFlagOff)
{
    AlphaLayerOpacity O(40000);
    // Onto a transparent destination the rewritten source is written as it is.
    EXPECT_EQ(merge1({100, 200, 300, 0x1000}, kTransparent, kAlphaFilter), (Px{65535, 65535, 65535, 61439}));
    EXPECT_EQ(merge1({7, 8, 9, 0x8000}, kTransparent, kAlphaBlackOutline), (Px{0, 0, 0, 40000}));
    EXPECT_EQ(merge1({7, 8, 9, 0xFFFF}, kTransparent, kAlphaBlackOutline), (Px{7, 8, 9, 0xFFFF}));
    // 39 below the midpoint: k = (32767 - 16384) x 2 = 32766: 40000 -> 7234, 1000 -> 0.
    EXPECT_EQ(merge1({40000, 1000, 0, 0x4000}, kTransparent, kAlphaShaderColor), (Px{7234, 0, 0, 40000}));
    // 39 above: k = 2 x 49152 - 65534 = 32770: 40000 -> 65535 (capped), 1000 -> 33770, 0 -> 32770.
    EXPECT_EQ(merge1({40000, 1000, 0, 0xC000}, kTransparent, kAlphaShaderColor),
              (Px{65535, 33770, 32770, 40000}));
    // 41 below the midpoint fades the alpha: k = (32767 - 28672) x 2 = 8190, a = 20482.
    // The core tests the mode given (41), so the transparent destination takes the source.
    EXPECT_EQ(merge1({10, 20, 30, 0x7000}, kTransparent, kAlphaHighlightTexture2), (Px{10, 20, 30, 20482}));
    // 43: 8192 lies on the ramp: 65535 - (9215 - 8192) x 64 = 63; below 0x1FFF nothing; above 0x23FE O.
    EXPECT_EQ(merge1({1, 1, 1, 0x2000}, kTransparent, kAlphaSmooth2)[3], 63);
    EXPECT_EQ(merge1({1, 1, 1, 0x1000}, kTransparent, kAlphaSmooth2), kTransparent);
    EXPECT_EQ(merge1({1, 1, 1, 0x3000}, kTransparent, kAlphaSmooth2)[3], 40000);
    // 44 darkens by u = (32767 - 16384) / 32767: 40000 - 40000 u = 20000.6; raises above 0x8000:
    // 40000 + 25535 x 16385 / 32767 = 52768.3 and 0 + 65535 x 16385 / 32767 = 32770.5.
    EXPECT_EQ(merge1({40000, 0, 0, 0x4000}, kTransparent, kAlphaSmoothLum), (Px{20000, 0, 0, 40000}));
    EXPECT_EQ(merge1({40000, 0, 0, 0xC000}, kTransparent, kAlphaSmoothLum), (Px{52768, 32770, 32770, 40000}));
    // At a = 0xFFFF the lighten factor is 32768 / 32767: black would pass 65535; it is held there.
    EXPECT_EQ(merge1({0, 0, 0, 0xFFFF}, kTransparent, kAlphaSmoothLum), (Px{65535, 65535, 65535, 40000}));
    // 50 hides the upper half of the alpha range.
    EXPECT_EQ(merge1({1, 2, 3, 0x8000}, kTransparent, kAlphaHighlight), kTransparent);
    EXPECT_EQ(merge1({1, 2, 3, 0x7000}, kTransparent, kAlphaHighlight), (Px{1, 2, 3, 0x7000}));
    // 52, 53: alpha from the mean (30000 + 40000 + 50000) / 3 = 40000, even where a was 0.
    EXPECT_EQ(merge1({30000, 40000, 50000, 0}, kTransparent, kLuminanceAlpha),
              (Px{65535, 65535, 65535, 40000}));
    EXPECT_EQ(merge1({30000, 40000, 50000, 0}, kTransparent, kLuminanceAlphaInvert), (Px{0, 0, 0, 25535}));
    // 51 shows nothing; 38 over an opaque destination becomes opaque grey (O = 65535 here) and is copied.
    EXPECT_EQ(merge1({1, 2, 3, 0xFFFF}, {5, 6, 7, 0xFFFF}, kLayerMask), (Px{5, 6, 7, 0xFFFF}));
    AlphaLayerOpacity full(0xFFFF);
    EXPECT_EQ(merge1({1, 2, 3, 0x8000}, {5, 6, 7, 0xFFFF}, kAlphaShader),
              (Px{0x8000, 0x8000, 0x8000, 0xFFFF}));
}

TEST(MergeCoreAlphaModes, SameAlphaModeFlag)
{
    AlphaLayerOpacity O(40000);
    const Px opaque = {5, 5, 5, 0xFFFF};
    const Opts same{.same = true};
    // 37: no rewrite; a non-zero a replaces the destination.
    EXPECT_EQ(merge1({1000, 2000, 3000, 0x1000}, opaque, kAlphaInvert, same), (Px{1000, 2000, 3000, 0x1000}));
    // 43: below 0x1FFF nothing, above 0x23FE replace, on the ramp Multiply with Sa = 8192/65535:
    // d (1 - Sa (1 - s)) for (s, d) = (.5, 1), (.75, .5), (0, 1) -> 61199.9, 31619.9, 57119.9.
    EXPECT_EQ(merge1({1, 1, 1, 0x1000}, opaque, kAlphaSmooth2, same), opaque);
    EXPECT_EQ(merge1({1, 2, 3, 0x3000}, opaque, kAlphaSmooth2, same), (Px{1, 2, 3, 0x3000}));
    EXPECT_EQ(merge1({32640, 48960, 0, 0x2000}, {65280, 32640, 65280, 0xFFFF}, kAlphaSmooth2, same),
              (Px{61199, 31619, 57119, 65535}));
    // 44: a <= 0x1FFE first becomes 0; above it replaces without the colour rewrite.
    EXPECT_EQ(merge1({40000, 0, 0, 0x1000}, opaque, kAlphaSmoothLum, same), opaque);
    EXPECT_EQ(merge1({40000, 0, 0, 0x4000}, opaque, kAlphaSmoothLum, same), (Px{40000, 0, 0, 0x4000}));
    // 50: up to 0x7F00 nothing, above replace.
    EXPECT_EQ(merge1({1, 2, 3, 0x7000}, opaque, kAlphaHighlight, same), opaque);
    EXPECT_EQ(merge1({1, 2, 3, 0x8000}, opaque, kAlphaHighlight, same), (Px{1, 2, 3, 0x8000}));
    // 52 behaves as with the flag off.
    EXPECT_EQ(merge1({30000, 40000, 50000, 0}, kTransparent, kLuminanceAlpha, same),
              (Px{65535, 65535, 65535, 40000}));
}

TEST(MergeCoreRects, OffsetsStridesAndFastPathAgreement)
{
    // A 37 x 5 source merged at (3, 2) into a 45 x 9 destination with a guard tail:
    // the plain Normal path and the general path give the same pixels, and
    // nothing outside the rectangle changes.
    std::mt19937 rng(3);
    const int sw = 37, sh = 5, dw = 45, dh = 9;
    std::vector<std::uint16_t> src(sw * sh * 4), dst(dw * dh * 4 + 16);
    for (auto& v : src) v = static_cast<std::uint16_t>(rng());
    for (std::size_t i = 3; i < src.size(); i += 4) {
        const unsigned pick = rng() % 4;  // transparent, opaque or partial alpha
        src[i] = pick == 0 ? 0 : pick == 1 ? 0xFFFF : static_cast<std::uint16_t>(rng());
    }
    for (auto& v : dst) v = static_cast<std::uint16_t>(rng());
    for (std::size_t i = 3; i < dw * dh * 4; i += 32) dst[i] = 0;  // some transparent destinations
    std::vector<std::uint16_t> fast = dst, slow = dst;
    merge_rgba64(src.data(), 1, 0, 30, 5, sw * 4, nullptr, fast.data(), 3, 2, dw * 4, kNormal, 0, 256, 255,
                 false, false);
    set_fast_paths(false);
    merge_rgba64(src.data(), 1, 0, 30, 5, sw * 4, nullptr, slow.data(), 3, 2, dw * 4, kNormal, 0, 256, 255,
                 false, false);
    set_fast_paths(true);
    EXPECT_EQ(fast, slow);
    for (int y = 0; y < dh; ++y)
        for (int x = 0; x < dw; ++x) {
            const bool inside = x >= 3 && x < 33 && y >= 2 && y < 7;
            const std::size_t i = (static_cast<std::size_t>(y) * dw + x) * 4;
            if (inside) continue;
            for (int c = 0; c < 4; ++c) ASSERT_EQ(fast[i + c], dst[i + c]) << x << "," << y;
        }
    for (std::size_t i = dw * dh * 4; i < dst.size(); ++i) EXPECT_EQ(fast[i], dst[i]);
    // Null planes and empty rectangles write nothing.
    merge_rgba64(nullptr, 0, 0, 1, 1, 4, nullptr, fast.data(), 0, 0, 4, kNormal, 0, 256, 255, false, false);
    merge_rgba64(src.data(), 0, 0, 0, 3, 4, nullptr, fast.data(), 0, 0, 4, kNormal, 0, 256, 255, false,
                 false);
    EXPECT_EQ(fast, slow);
}

TEST(MergePixelRules, AgreesWithCoreAndDiffersWhereStated)
{
    AlphaLayerOpacity O(50000);
    // With level 255 and no opacity the pixel twin follows the core for every colour mode and,
    // over opaque destinations, for the alpha modes.
    std::mt19937 rng(5);
    for (int i = 0; i < 3000; ++i) {
        const int mode = static_cast<int>(rng() % 54);
        const Px s = {static_cast<std::uint16_t>(rng()), static_cast<std::uint16_t>(rng()),
                      static_cast<std::uint16_t>(rng()), static_cast<std::uint16_t>(rng() % 4 ? rng() : 0)};
        const Px d = {static_cast<std::uint16_t>(rng()), static_cast<std::uint16_t>(rng()),
                      static_cast<std::uint16_t>(rng()),
                      static_cast<std::uint16_t>(mode >= 32 ? 0xFFFF : rng())};
        const Px core = merge1(s, d, mode);
        int r = d[0], g = d[1], b = d[2], a = d[3];
        merge_pixel(r, g, b, a, s[0], s[1], s[2], s[3], mode, 255, false, 50000);
        ASSERT_EQ(core, (Px{static_cast<std::uint16_t>(r), static_cast<std::uint16_t>(g),
                            static_cast<std::uint16_t>(b), static_cast<std::uint16_t>(a)}))
            << "mode " << mode << " case " << i;
    }
    // 40 and 41 blend as 28, which needs a destination: (0, 0, 0, 0) where the core copies.
    int r = 5, g = 6, b = 7, a = 0;
    merge_pixel(r, g, b, a, 10, 20, 30, 0x7000, kAlphaHighlightTexture2, 255, false, 50000);
    EXPECT_EQ((std::array<int, 4>{r, g, b, a}), (std::array<int, 4>{0, 0, 0, 0}));
    // The level comes after the alpha-mode step: 37 inverts 0x1000 to 61439, then (128 x 61439) >> 8 = 30719.
    r = g = b = a = 0;
    merge_pixel(r, g, b, a, 1, 2, 3, 0x1000, kAlphaInvert, 127, false, 50000);
    EXPECT_EQ(a, 30719);
    // Lock alpha keeps the variable's alpha.
    r = g = b = 0, a = 0x1234;
    merge_pixel(r, g, b, a, 0xFFFF, 1, 2, 0xFFFF, kNormal, 255, true, 50000);
    EXPECT_EQ((std::array<int, 4>{r, g, b, a}), (std::array<int, 4>{0xFFFF, 1, 2, 0x1234}));
}

TEST(MergeFloatStage, StraightFormAndAlphaModeStep)
{
    // blend_float on straight values: Normal .5 white over opaque black gives .5 at alpha 1.
    const FloatPixel out = blend_float(kNormal, {1, 1, 1, 0.5}, {0, 0, 0, 1});
    EXPECT_DOUBLE_EQ(out.r, 0.5);
    EXPECT_DOUBLE_EQ(out.a, 1.0);
    // Nothing on nothing: alpha 0 gives all zero instead of a division by zero.
    const FloatPixel none = blend_float(kTexturize2, {1, 1, 1, 0}, {0, 0, 0, 0});
    EXPECT_EQ(none.r + none.g + none.b + none.a, 0.0);
    // The alpha-mode step reports the blend mode that follows.
    std::uint32_t r = 1, g = 2, b = 3, a = 0x8000;
    EXPECT_EQ(alpha_mode_step(kAlphaShaderTexture2, r, g, b, a, 1000), kTexturize2);
    EXPECT_EQ(alpha_mode_step(kMultiply, r, g, b, a, 1000), kMultiply);
    bool clear = false;
    a = 0x2000;
    EXPECT_EQ(alpha_mode_step_same(kAlphaSmoothLum5, r, g, b, a, 1000, clear), kMultiply);
    EXPECT_FALSE(clear);
}

TEST(MergeComposite, BandsOfRowsGiveTheLayerByLayerResultOnAnyThreadCount)
{
    // A 64 x 1300 canvas spans three bands of rows (the last one partial).
    // The composite must equal the background with each layer merged whole
    // in turn, on one thread and on two.
    const int w = 64, h = 1300;
    const std::size_t values = static_cast<std::size_t>(w) * h * 4;
    MVE_CreateImage(nullptr, w, h, 64, 0);
    const char* modes[] = {"Normal", "Multiply", "HSL Hue", "Normal"};
    std::mt19937 rng(28);
    std::vector<std::uint16_t> plane(values);
    for (int index = 1; index <= 5; ++index) {
        for (std::size_t i = 0; i < values; ++i)
            plane[i] = i % 4 == 3 && index > 1 && rng() % 3 == 0 ? 0 : static_cast<std::uint16_t>(rng());
        ASSERT_EQ(MVE_CreateLayer(index, w, h), 1);
        MVE_SetLayerData(plane.data(), index);
        MVE_SetLayerOptions(index, 1, 0, index == 3 ? 60 : 100, index == 1 ? "Normal" : modes[index - 2]);
    }
    std::vector<std::uint16_t> layered(values);
    MVE_GetLayerData(layered.data(), 1);
    for (int index = 2; index <= 5; ++index) ASSERT_EQ(MVE_MergeLayerInto(index, layered.data()), 1);
    for (const int threads : {1, 2}) {
        WorkerThreads scope(threads);
        std::vector<std::uint16_t> composite(values);
        MVE_Merge(composite.data());
        for (std::size_t i = 0; i < values; ++i)
            ASSERT_EQ(composite[i], layered[i])
                << threads << " threads, pixel " << i / 4 << " channel " << i % 4;
    }
    MVE_DeleteImage();
}

}  // namespace
}  // namespace mve
