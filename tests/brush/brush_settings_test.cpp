// Brush setters: the conversions from host values to the settings record.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "brush/brush_settings.h"
#include "engine/engine.h"
#include "morvane/morvane.h"
#include "platform/window_redraw.h"

namespace mve {
namespace {

TEST(BrushSettingsScale, SizeGivesIdentityAndScaleSpreadsEvenly)
{
    BrushSettings b;
    set_brush_size(b, 10);
    EXPECT_EQ(b.fullSize, 10);
    EXPECT_EQ(b.dabSize, 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(b.scaleIndex[i], i);

    // step = 10 / 4 = 2.5: trunc(2.5 * 0.5, 1.5, 2.5, 3.5) = 1, 3, 6, 8
    set_brush_scale_size(b, 4);
    EXPECT_EQ(b.dabSize, 4);
    EXPECT_EQ(b.fullSize, 10);
    EXPECT_EQ(b.scaleIndex[0], 1);
    EXPECT_EQ(b.scaleIndex[1], 3);
    EXPECT_EQ(b.scaleIndex[2], 6);
    EXPECT_EQ(b.scaleIndex[3], 8);

    // 0 behaves as 1: step 10, entry 0 = trunc(10 * 0.5) = 5.
    set_brush_scale_size(b, 0);
    EXPECT_EQ(b.dabSize, 1);
    EXPECT_EQ(b.scaleIndex[0], 5);

    // Above the full size it is clamped to it: step 1, entries trunc(i + 0.5) = i.
    set_brush_scale_size(b, 50);
    EXPECT_EQ(b.dabSize, 10);
    EXPECT_EQ(b.scaleIndex[9], 9);

    // And at most 999 even for the largest brush: step 1000/999, last entry
    // trunc(1000/999 * 998.5) = 999.
    set_brush_size(b, 1000);
    set_brush_scale_size(b, 5000);
    EXPECT_EQ(b.dabSize, 999);
    EXPECT_EQ(b.scaleIndex[998], 999);

    // SetSize restores the identity after a scale.
    set_brush_scale_size(b, 4);
    set_brush_size(b, 6);
    EXPECT_EQ(b.dabSize, 6);
    EXPECT_EQ(b.scaleIndex[1], 1);
    EXPECT_EQ(b.scaleIndex[5], 5);
}

TEST(BrushSettingsScale, SizeBeyondTheTableIsKeptInside)
{
    BrushSettings b;
    set_brush_size(b, 5000);
    EXPECT_EQ(b.fullSize, 1000);
    set_brush_size(b, -3);
    EXPECT_EQ(b.fullSize, 0);
    set_brush_scale_size(b, 7);  // full size 0 leaves no entry
    EXPECT_EQ(b.dabSize, 0);
}

TEST(BrushSettingsConversions, AlphaStrengthsAndRotation)
{
    BrushSettings b;
    set_brush_alpha(b, 100);
    EXPECT_EQ(b.alpha, 100);
    EXPECT_EQ(b.alphaScaled, 128);  // 100 * 1.28
    set_brush_alpha(b, 50);
    EXPECT_EQ(b.alphaScaled, 64);   // 50 * 1.28 = 64 exactly, not 63
    set_brush_alpha(b, 1);
    EXPECT_EQ(b.alphaScaled, 1);    // 1.28 truncated

    set_blend_strength(b, 56);
    EXPECT_EQ(b.blendStrengthInverse, 200);  // 256 - 56
    set_blend_strength(b, 0);
    EXPECT_EQ(b.blendStrength, 0);
    EXPECT_EQ(b.blendStrengthInverse, 200);  // unchanged for 0
    set_blend_strength(b, -5);
    EXPECT_EQ(b.blendStrengthInverse, 200);  // and for negatives
    set_blend_primary_strength(b, 256);
    EXPECT_EQ(b.blendPrimaryColorStrengthInverse, 0);
    set_blend_primary_strength(b, 0);
    EXPECT_EQ(b.blendPrimaryColorStrengthInverse, 0);

    set_rotate_mode(b, 1, 90);
    EXPECT_EQ(b.rotateOn, 1);
    EXPECT_EQ(b.rotateDegrees, 90);
    EXPECT_EQ(b.rotateRadians, 1.570795f);  // 90 / 180 * 3.14159
    EXPECT_EQ(b.rotateSin, static_cast<float>(std::sin(1.570795)));
    EXPECT_EQ(b.rotateCos, static_cast<float>(std::cos(1.570795)));
    EXPECT_GT(b.rotateCos, 0.0f);  // 3.14159 / 2 is just below pi / 2
    set_rotate_mode(b, 0, 180);
    EXPECT_EQ(b.rotateRadians, 3.14159f);
}

TEST(BrushSettingsStartDir, LengthLimit)
{
    BrushSettings b;
    set_start_directory(b, "/opt/paint");
    EXPECT_STREQ(b.startDirectory, "/opt/paint");
    const std::string longest(1023, 'a'), tooLong(1024, 'b');
    set_start_directory(b, longest.c_str());
    EXPECT_EQ(std::string(b.startDirectory), longest);
    set_start_directory(b, tooLong.c_str());
    EXPECT_EQ(std::string(b.startDirectory), longest);  // unchanged
    set_start_directory(b, nullptr);
    EXPECT_EQ(std::string(b.startDirectory), longest);
    set_start_directory(b, "");
    EXPECT_STREQ(b.startDirectory, "");
}

TEST(BrushSettingsExports, ColoursBanksAndFlags)
{
    Engine& e = engine();
    MVE_SetColor(255, 128, 1);
    EXPECT_EQ(e.brush.color[0], 65280);  // 255 * 256, not 65535
    EXPECT_EQ(e.brush.color[1], 32768);
    EXPECT_EQ(e.brush.color[2], 256);
    EXPECT_EQ(e.brush.color[3], 65535);
    MVE_SetColor16(65535, 1, 0);
    EXPECT_EQ(e.brush.color[0], 65535);
    EXPECT_EQ(e.brush.color[1], 1);
    EXPECT_EQ(e.brush.color[3], 65535);

    MVE_SetColorBanks(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 255);
    EXPECT_EQ(e.brush.bankR[0], 256);
    EXPECT_EQ(e.brush.bankG[1], 5 * 256);
    EXPECT_EQ(e.brush.bankB[2], 9 * 256);
    EXPECT_EQ(e.brush.bankB[3], 65280);
    EXPECT_EQ(e.brush.bankA[3], 65535);

    MVE_SetDensity(200);
    EXPECT_EQ(e.brush.density, 199);
    MVE_SetBlendRemix(0x101);  // low byte only
    EXPECT_EQ(e.brush.blendRemix, 1);
    e.paint.gritCountdown = 5;
    MVE_DecDrawingLength();
    EXPECT_EQ(e.paint.gritCountdown, 4);

    MVE_SetRandomSeed(77);
    EXPECT_EQ(e.random.seed, 77u);
    CrtRandom expected;
    expected.seed(77);
    EXPECT_EQ(crt_rand(), expected.next());  // the generator was reseeded
    MVE_SetRandomSeed(0);
}

TEST(BrushSettingsWindows, RedrawReachesOnlyKnownWindows)
{
    int hostWindow = 0, foreign = 0;
    EXPECT_EQ(MVE_SetWindowRedraw(&foreign, 1), 0);
    EXPECT_EQ(MVE_RedrawWindow(&foreign), 0);
    EXPECT_EQ(MVE_RedrawWindow(nullptr), 0);
    EXPECT_EQ(platform::redraw_state(&foreign), nullptr);

    ASSERT_TRUE(platform::register_window(&hostWindow));
    EXPECT_EQ(MVE_SetWindowRedraw(&hostWindow, 0x100), 0);  // low byte 0: drawing off
    const platform::RedrawState* s = platform::redraw_state(&hostWindow);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->redrawEnabled, 0);
    EXPECT_EQ(s->setRedrawCount, 1);
    EXPECT_EQ(MVE_RedrawWindow(&hostWindow), 1);
    EXPECT_EQ(s->redrawCount, 1);
    EXPECT_EQ(s->lastFlags, 0x485u);  // FRAME | ALLCHILDREN | ERASE | INVALIDATE
    platform::unregister_window(&hostWindow);
    EXPECT_EQ(MVE_RedrawWindow(&hostWindow), 0);
}

}  // namespace
}  // namespace mve
