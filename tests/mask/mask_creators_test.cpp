// Selections from pictures: exact colours, ranges, hue and HSL, worked by hand.
#include "mask/mask_fixture.h"

namespace mve::test {
namespace {

using MaskCreators = MaskFixture;

constexpr std::uint16_t kKeep = 0x1111;  // marks pixels that must keep their value

Bytes rgba(std::initializer_list<std::initializer_list<int>> pixels)
{
    Bytes b;
    for (auto p : pixels) {
        std::vector<int> v(p);
        v.resize(4, 255);
        for (int c : v) b.push_back(static_cast<unsigned char>(c));
    }
    return b;
}

TEST_F(MaskCreators, ExactColourWithStrengths)
{
    make(3, 1);
    set_mask({kKeep, kKeep, kKeep});
    // Alpha is not compared: the second pixel matches despite alpha 0.
    const Bytes pic = rgba({{10, 20, 30}, {10, 20, 30, 0}, {10, 20, 31}});
    MVE_CreateMaskFromRGBAImageColor(pic.data(), 10, 20, 30, 0);  // (255 - 0) * 256
    EXPECT_EQ(mask(), (Mask16{65280, 65280, kKeep}));
    MVE_CreateMaskFromRGBAImageColor(pic.data(), 10, 20, 30, 128);  // 127 * 256
    EXPECT_EQ(m(0, 0), 32512);
    MVE_CreateMaskFromRGBAImageColor(pic.data(), 10, 20, 30, 255);
    EXPECT_EQ(m(1, 0), 0);

    const Bytes rgb = {1, 2, 3, 1, 2, 4, 1, 2, 3};
    set_mask({kKeep, kKeep, kKeep});
    MVE_CreateMaskFromRGB24ImageColor(rgb.data(), 1, 2, 3, 55);  // 200 * 256
    EXPECT_EQ(mask(), (Mask16{51200, kKeep, 51200}));
}

TEST_F(MaskCreators, DiffAndFloodMask)
{
    make(3, 1);
    set_mask({kKeep, kKeep, kKeep});
    const Bytes a = rgba({{1, 2, 3, 4}, {1, 2, 3, 4}, {1, 2, 3, 4}});
    const Bytes b = rgba({{1, 2, 3, 4}, {1, 2, 3, 5}, {0, 2, 3, 4}});
    MVE_CreateMaskFromDiff_RGBA32(a.data(), b.data(), 1234);  // the value itself
    EXPECT_EQ(mask(), (Mask16{kKeep, 1234, 1234}));

    set_mask({kKeep, kKeep, kKeep});
    const Bytes flood = {1, 2, 0};  // only exactly 1 is selected
    MVE_CreateMaskFromFloodMask(flood.data(), 0);
    EXPECT_EQ(mask(), (Mask16{65280, kKeep, kKeep}));
}

TEST_F(MaskCreators, ChannelAlphaAndLuminanceRanges)
{
    make(4, 1);
    // 10 % -> truncate(25.6) = 25 per channel around (100, 100, 100).
    set_mask({kKeep, kKeep, kKeep, kKeep});
    const Bytes pic = rgba({{125, 75, 100, 0}, {126, 100, 100, 10}, {100, 100, 74, 64}, {100, 100, 100, 65}});
    MVE_CreateMaskFromRGBAImageColorRange(pic.data(), 100, 100, 100, 10, 0);
    EXPECT_EQ(mask(), (Mask16{65280, kKeep, kKeep, 65280}));

    // 25 % -> 64 around alpha 0: alphas 0, 10 and 64 are in, 65 is out.
    set_mask({kKeep, kKeep, kKeep, kKeep});
    MVE_CreateMaskFromRGBAImageAlphaRange(pic.data(), 0, 25, 255);
    EXPECT_EQ(mask(), (Mask16{0, 0, 0, kKeep}));

    // Key (10, 20, 30) -> 20; 1 % -> 2: averages 22 and 18 are in, 23 is out.
    set_mask({kKeep, kKeep, kKeep, kKeep});
    const Bytes lum = rgba({{22, 22, 22}, {0, 0, 68}, {23, 23, 23}, {18, 18, 19}});
    MVE_CreateMaskFromRGBAImageLuminanceRange(lum.data(), 10, 20, 30, 1, 0);
    EXPECT_EQ(mask(), (Mask16{65280, 65280, kKeep, 65280}));
}

TEST_F(MaskCreators, HueRangeAcrossTheSeam)
{
    make(5, 1);
    // Key pure red, hue 0; 10 % -> 18 degrees.
    // (255, 0, 42): hue 360 - 42/255*60 = 350.1 -> |350.1 - 360 - 0| = 9.9: in.
    // (255, 63, 0): 63/255*60 = 14.8: in.  (255, 85, 0): 20: out.
    // (0, 0, 255): 240: out.  Grey has hue -1, within 18 of 0: in.
    set_mask({kKeep, kKeep, kKeep, kKeep, kKeep});
    const Bytes pic = rgba({{255, 0, 42}, {255, 63, 0}, {255, 85, 0}, {0, 0, 255}, {90, 90, 90}});
    MVE_CreateMaskFromRGBAImageHueRange(pic.data(), 255, 0, 0, 10, 0);
    EXPECT_EQ(mask(), (Mask16{65280, 65280, kKeep, kKeep, 65280}));

    // Key at hue 350.1 (255, 0, 42): a pixel at 14.8 is |14.8 - (350.1 - 360)| = 24.7
    // away (out); pure red at 0 is 9.9 away (in).
    set_mask({kKeep, kKeep, kKeep, kKeep, kKeep});
    // The creator reads a canvas-sized picture: five pixels, the last three blue (out).
    const Bytes pic2 = rgba({{255, 63, 0}, {255, 0, 0}, {0, 0, 255}, {0, 0, 255}, {0, 0, 255}});
    MVE_CreateMaskFromRGBAImageHueRange(pic2.data(), 255, 0, 42, 10, 0);
    EXPECT_EQ(m(0, 0), kKeep);
    EXPECT_EQ(m(1, 0), 65280);
}

TEST_F(MaskCreators, HslRange)
{
    make(3, 1);
    // Key red: H 0, S 1, L 0.5. (191, 63, 63): max 0.749, min 0.247,
    // L 0.498, S 0.502 / 0.996 = 0.504, H 0. (0, 255, 0): H 120.
    set_mask({kKeep, kKeep, kKeep});
    const Bytes pic = rgba({{191, 63, 63}, {0, 255, 0}, {255, 0, 0}});
    MVE_CreateMaskFromRGBAImageHSLRange(pic.data(), 255, 0, 0, 0.1, 0.5, 0.01, 0);
    EXPECT_EQ(mask(), (Mask16{65280, kKeep, 65280}));
    // Saturation tolerance 0.4 < 0.496 drops the first pixel.
    set_mask({kKeep, kKeep, kKeep});
    MVE_CreateMaskFromRGBAImageHSLRange(pic.data(), 255, 0, 0, 0.1, 0.4, 0.01, 0);
    EXPECT_EQ(mask(), (Mask16{kKeep, kKeep, 65280}));
    // Hue tolerance 2/3 = 120 degrees takes green in, with S and L loose.
    set_mask({kKeep, kKeep, kKeep});
    MVE_CreateMaskFromRGBAImageHSLRange(pic.data(), 255, 0, 0, 2.0 / 3.0 + 1e-9, 1.0, 1.0, 255);
    EXPECT_EQ(mask(), (Mask16{0, 0, 0}));
}

TEST_F(MaskCreators, NullBuffersAndMissingMaskDoNothing)
{
    make(1, 1);
    m(0, 0) = kKeep;
    MVE_CreateMaskFromRGBAImageColor(nullptr, 0, 0, 0, 0);
    MVE_CreateMaskFromRGBAImageHueRange(nullptr, 0, 0, 0, 10, 0);
    MVE_CreateMaskFromDiff_RGBA32(nullptr, nullptr, 0);
    MVE_CombineMask(nullptr, 3, 0, 0, "Add");
    EXPECT_EQ(m(0, 0), kKeep);
    MVE_DeleteImage();
    const Bytes pic = rgba({{0, 0, 0}});
    MVE_CreateMaskFromRGBAImageColor(pic.data(), 0, 0, 0, 0);  // no Mask plane: no crash
    MVE_InvertMask();
    MVE_SaveMask(nullptr, 3);
}

}  // namespace
}  // namespace mve::test
