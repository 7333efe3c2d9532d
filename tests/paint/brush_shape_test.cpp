// Brush shapes: the round brush, picture shapes and the source cache.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "imagelib/image_script.h"
#include "morvane/morvane.h"
#include "paint/brush_shape.h"
#include "paint/brush_shape_picture.h"

namespace mve {
namespace {

constexpr int kM = 8;  // maximum brush size: shape stride

std::vector<std::uint16_t> round_brush(int n, int softness, float intensity, bool invert, ShapeVariant v)
{
    std::vector<std::uint16_t> s(kM * kM, 0);
    build_round_brush(s.data(), kM, n, static_cast<std::uint8_t>(softness), intensity, invert, v);
    return s;
}

std::uint16_t at(const std::vector<std::uint16_t>& s, int x, int y) { return s[static_cast<std::size_t>(y) * kM + x]; }

TEST(BrushShapeRound, HardEdgeIsFullInsideTheRadius)
{
    // n = 4: r = 2, c = 2, distances from pixel centres: corner (0,0)
    // sqrt(1.5^2 + 1.5^2) = 2.12 > 2 -> 0; edge (1,0) sqrt(0.25 + 2.25) = 1.58 -> full.
    const auto s = round_brush(4, 0, 1.0f, false, ShapeVariant::Current);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const bool corner = (x == 0 || x == 3) && (y == 0 || y == 3);
            EXPECT_EQ(at(s, x, y), corner ? 0 : 65535) << x << "," << y;
        }
    EXPECT_EQ(at(s, 4, 0), 0);  // outside n x n untouched
    // Intensity 0.5: round(65535 * 0.5) = 32768.
    EXPECT_EQ(at(round_brush(4, 0, 0.5f, false, ShapeVariant::Current), 1, 1), 32768);
    // Intensity 2 is clamped instead of wrapping.
    EXPECT_EQ(at(round_brush(4, 0, 2.0f, false, ShapeVariant::Current), 1, 1), 65535);
}

TEST(BrushShapeRound, SoftAndInvertedRisesTowardTheRim)
{
    // Softness 255: f = r = 2, inner = 0, v = (2 - d) / 2 * 65535.
    // (1,1): d = 0.7071 -> v = 42364.88; (1,0): d = 1.5811 -> v = 13725.03.
    const auto soft = round_brush(4, 255, 1.0f, false, ShapeVariant::Current);
    EXPECT_EQ(at(soft, 1, 1), 42365);
    EXPECT_EQ(at(soft, 1, 0), 13725);
    // Inverted: |v - 65535| = 23170.12 and 51809.97; outside the radius stays 0.
    const auto inv = round_brush(4, 255, 1.0f, true, ShapeVariant::Current);
    EXPECT_EQ(at(inv, 1, 1), 23170);
    EXPECT_EQ(at(inv, 1, 0), 51810);
    EXPECT_EQ(at(inv, 0, 0), 0);
    // Inverted hard brush: 0 everywhere inside.
    const auto invHard = round_brush(4, 0, 1.0f, true, ShapeVariant::Current);
    EXPECT_EQ(at(invHard, 1, 1), 0);
}

TEST(BrushShapeRound, OriginalMeasuresFromIntegerOffsets)
{
    // n = 4, offsets x - 2: (0,2) d = 2 -> inside; (0,1) d = sqrt(5) -> 0;
    // (3,3) d = sqrt(2) -> inside.
    const auto s = round_brush(4, 0, 1.0f, false, ShapeVariant::Original);
    EXPECT_EQ(at(s, 0, 2), 65535);
    EXPECT_EQ(at(s, 0, 1), 0);
    EXPECT_EQ(at(s, 3, 3), 65535);
    // n = 5 inverted fully soft: centre (2,2) has d = 0 -> v = 65535 -> 0;
    // (2,0): d = 2, r = f = 2.5, inner = 0 -> v = (2.5 - 2) / 2.5 * 65535 = 13107 -> 65535 - 13107 = 52428.
    const auto inv = round_brush(5, 255, 1.0f, true, ShapeVariant::Original);
    EXPECT_EQ(at(inv, 2, 2), 0);
    EXPECT_EQ(at(inv, 2, 0), 52428);
}

class BrushShape : public ::testing::Test {
protected:
    void SetUp() override
    {
        MVE_CreateImage(nullptr, 8, 8, kM, 0);
        MVE_SetSize(4);
        engine().brush.shapeIntensity = 1.0f;
        engine().brush.softness = 0;
        engine().brush.shapeOption = 0;
        engine().brush.shapeBlur = 0;
    }
    void TearDown() override { MVE_DeleteImage(); }

    static std::string write_file(const std::string& name, const std::string& text)
    {
        const std::string path = ::testing::TempDir() + std::to_string(getpid()) + "_" + name;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        return path;
    }
    static std::vector<std::uint16_t> shape()
    {
        std::vector<std::uint16_t> s(kM * kM);
        EXPECT_EQ(MVE_GetBrushShape16(s.data()), kM * kM);
        return s;
    }
    static std::vector<std::uint16_t> hard_round()
    {
        std::vector<std::uint16_t> s(kM * kM, 0);
        build_round_brush(s.data(), kM, 4, 0, 1.0f, false, ShapeVariant::Current);
        return s;
    }
};

TEST_F(BrushShape, NoPathOrUnreadablePictureGivesTheRoundBrush)
{
    const long before = picture_file_requests();
    MVE_SetBrushShape("x", 0);  // one character: no path
    EXPECT_EQ(picture_file_requests(), before);
    EXPECT_EQ(shape(), hard_round());
    MVE_SetBrushShape(nullptr, 0);
    EXPECT_EQ(shape(), hard_round());
    MVE_SetBrushShape("/nonexistent/shape.png", 0);
    EXPECT_EQ(shape(), hard_round());
    EXPECT_FALSE(engine().paint.shapeSource.present());
}

TEST_F(BrushShape, ScriptPictureGivesGreyShiftedTimesIntensity)
{
    // White picture: grey 255 -> 255 << 8 = 65280 everywhere in the 4 x 4;
    // with intensity 0.5: trunc(65280 * 0.5) = 32640.
    const std::string path = write_file("shape_white.isl", "ISL 1\nsize 8 8\nfill color1=255,255,255\n");
    engine().brush.drawingLength = 6;
    engine().paint.gritCountdown = 0;
    MVE_SetBrushShape(path.c_str(), 0);
    auto s = shape();
    for (int y = 0; y < kM; ++y)
        for (int x = 0; x < kM; ++x) EXPECT_EQ(at(s, x, y), (x < 4 && y < 4) ? 65280 : 0) << x << "," << y;
    EXPECT_EQ(engine().paint.gritCountdown, 6);  // reset after a picture shape

    engine().brush.shapeIntensity = 0.5f;
    MVE_SetBrushShape(path.c_str(), 0);
    EXPECT_EQ(at(shape(), 3, 3), 32640);
}

TEST_F(BrushShape, SourceCacheReadsOncePerPathAndAngle)
{
    const std::string path = write_file("shape_cached.isl", "ISL 1\nsize 8 8\nfill color1=255,255,255\n");
    const long reads0 = il::isl_file_reads();
    MVE_SetBrushShape(path.c_str(), 30);
    const long reads1 = il::isl_file_reads();
    EXPECT_GT(reads1, reads0);
    const auto first = shape();
    // Same path and angle: the file is not read again, even though it changed.
    write_file("shape_cached.isl", "ISL 1\nsize 8 8\nfill color1=0,0,0\n");
    MVE_SetBrushShape(path.c_str(), 30);
    EXPECT_EQ(il::isl_file_reads(), reads1);
    EXPECT_EQ(shape(), first);
    // Another angle reloads (and now sees the black picture).
    MVE_SetBrushShape(path.c_str(), 45);
    EXPECT_GT(il::isl_file_reads(), reads1);
    EXPECT_EQ(at(shape(), 1, 1), 0);
    // Unloading drops the cache: the next build reads again.
    MVE_UnloadBrushShape();
    EXPECT_FALSE(engine().paint.shapeSource.present());
    EXPECT_EQ(engine().paint.shapeSource.width, 0);
    const long reads2 = il::isl_file_reads();
    MVE_SetBrushShape(path.c_str(), 45);
    EXPECT_GT(il::isl_file_reads(), reads2);
}

TEST_F(BrushShape, RotationTurnsThePicture)
{
    // 8 x 8 picture, brush 8 (same size, so resampling keeps it).
    MVE_SetSize(8);
    // A vertical white bar 4 pixels wide at a random column (wrapping) on black.
    const std::string halves = write_file(
        "shape_halves.isl",
        "ISL 1\nsize 8 8\nlines count=1 thickness=4 angle=90 jitter=0 length=100 color2=255,255,255\n");
    MVE_SetBrushShape(halves.c_str(), 0);
    const auto upright = shape();
    MVE_SetBrushShape(halves.c_str(), 180);
    const auto turned = shape();
    // A half turn maps pixel (x, y) to (7 - x, 7 - y) exactly.
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(at(turned, x, y), at(upright, 7 - x, 7 - y)) << x << "," << y;
    EXPECT_NE(upright, turned);
}

TEST_F(BrushShape, ShapeBlurRouteKeepsAUniformPicture)
{
    // "Value Blur" moves values between neighbours of different luminance
    // only: a uniform picture stays uniform, so the shape is still 65280.
    const std::string path = write_file("shape_blur.isl", "ISL 1\nsize 8 8\nfill color1=255,255,255\n");
    engine().brush.shapeBlur = 50;
    MVE_SetBrushShape(path.c_str(), 0);
    EXPECT_EQ(at(shape(), 2, 2), 65280);
}

TEST_F(BrushShape, OriginalVariantIgnoresScripts)
{
    const std::string path = write_file("shape_orig.isl", "ISL 1\nsize 8 8\nfill color1=255,255,255\n");
    MVE_UnloadBrushShape();
    MVE_SetBrushShape_ORIGINAL(path.c_str(), 0);  // not an image file: round brush
    std::vector<std::uint16_t> expected(kM * kM, 0);
    build_round_brush(expected.data(), kM, 4, 0, 1.0f, false, ShapeVariant::Original);
    EXPECT_EQ(shape(), expected);
}

TEST(BrushShapeNoCanvas, BuildsNothingWithoutAShapePlane)
{
    MVE_DeleteImage();
    MVE_SetBrushShape("", 0);  // no plane: nothing to write, no crash
    unsigned short out[4] = {};
    EXPECT_EQ(MVE_GetBrushShape16(out), 0);
    EXPECT_EQ(MVE_GetBrushShape16(nullptr), 0);
}

}  // namespace
}  // namespace mve
