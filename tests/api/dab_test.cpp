// Dabs through the public header: a soft round brush stamped into a layer
// and into the Mask, checked against the brush shape the engine reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "morvane/morvane.h"

namespace {

constexpr int W = 8, H = 8, M = 8, N = 4;

struct DabApiTest : ::testing::Test {
    std::vector<unsigned short> shape = std::vector<unsigned short>(M * M);

    void SetUp() override
    {
        MVE_CreateImage(nullptr, W, H, M, 0);
        MVE_CreateLayer(2, W, H);
        // Layer flags outlive the canvas: visible, alpha not locked.
        MVE_SetLayerOptions(2, 1, 0, 100, "Normal");
        MVE_SetLayer(2);
        MVE_SetSize(N);
        MVE_SetAlpha(100);
        MVE_SetDensity(256);
        MVE_SetMixMode(32, 0);
        // Settings an earlier test may have left in the process-wide engine.
        MVE_SetPixColorVary(0);
        MVE_SetPixLumVary(0);
        MVE_SetRotateBrushMode(0, 0);
        MVE_SetSolidBrushMode(0);
        MVE_SetImageBrushMode(0);
        MVE_SetAlphaLocked(0);
        MVE_SetColorLocked(0);
        MVE_SetBlobLocked(0);
        MVE_SetAlphaLevel(0);
        MVE_SetRandomSeed(1);
        // No grit, no colour vary, no pick-up; the soft round shape.
        MVE_SetTool(1.0f, 0, 0, 0, 128, 0, 10, 0, 0, 0, 0, 0, 0, "", "", 0);
        ASSERT_EQ(MVE_GetBrushShape16(shape.data()), M * M);
    }
    void TearDown() override { MVE_DeleteImage(); }

    std::vector<unsigned short> layer2() const
    {
        std::vector<unsigned short> px(W * H * 4);
        MVE_GetRGBA64Layer(px.data(), W * 8, 2);
        return px;
    }
};

}  // namespace

TEST_F(DabApiTest, SoftDabAlphaFollowsTheShape)
{
    // Centred on (4, 4): left = top = 2, canvas (2 + u, 2 + v) from shape (u, v).
    MVE_DrawDabGrit(4, 4, 0x40FF, 0x80FF, 0xC0FF);
    const auto px = layer2();
    int painted = 0;
    for (int v = 0; v < N; ++v)
        for (int u = 0; u < N; ++u) {
            const unsigned short* p = &px[((2 + v) * W + 2 + u) * 4];
            const unsigned k = shape[v * M + u];
            // A transparent layer takes the paint with alpha (k * 65535) >> 16.
            EXPECT_EQ(p[3], (k * 65535u) >> 16) << u << "," << v;
            if (k == 0) continue;
            ++painted;
            EXPECT_EQ(p[0], 0x4000);
            EXPECT_EQ(p[1], 0x8000);
            EXPECT_EQ(p[2], 0xC000);
        }
    EXPECT_GT(painted, 0);
    // Outside the square nothing changed.
    EXPECT_EQ(px[(1 * W + 1) * 4 + 3], 0);
    EXPECT_EQ(px[(6 * W + 6) * 4 + 3], 0);
}

TEST_F(DabApiTest, MaskMakerPaintsTheMaskOnce)
{
    std::vector<unsigned short> mask(W * H);
    MVE_SetMaskMakerOn();
    MVE_DrawDabGrit(4, 4, 0, 0, 0);
    MVE_GetMaskData16(mask.data());
    // Red level 0 at coverage k: m = (((65536 - k) * 65535) >> 8) >> 8.
    for (int v = 0; v < N; ++v)
        for (int u = 0; u < N; ++u) {
            const unsigned k = shape[v * M + u];
            const unsigned expected = k == 0 ? 65535u : (((65536u - k) * 65535u) >> 8) >> 8;
            EXPECT_EQ(mask[(2 + v) * W + 2 + u], expected) << u << "," << v;
        }
    // The flag lasted one dab: the next one paints the layer, its coverage
    // scaled by the new Mask (no PaintLayer): k = (m * shape) >> 16 at the centre.
    MVE_DrawDabGrit(4, 4, 0xFF00, 0, 0);
    const auto px = layer2();
    const unsigned k0 = shape[2 * M + 2], m = mask[4 * W + 4];
    const unsigned k = m < 65535 ? (m * k0) >> 16 : k0;
    EXPECT_EQ(px[(4 * W + 4) * 4 + 3], (k * 65535u) >> 16);
    unsigned maxAlpha = 0;
    for (std::size_t i = 3; i < px.size(); i += 4) maxAlpha = std::max<unsigned>(maxAlpha, px[i]);
    EXPECT_GT(maxAlpha, 0u);
}
