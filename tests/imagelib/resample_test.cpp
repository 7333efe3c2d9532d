// Resampling: constant pictures stay constant for every filter, hand-worked
// small cases, the SIMD paths against the scalar formula, and bad arguments.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "imagelib/library.h"
#include "imagelib/resample_kernels.h"
#include "imagelib/resampling.h"

namespace {

using namespace mve::il;
using Bytes = std::vector<std::uint8_t>;

const int kCodes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16, 17, 18, 99};

TEST(ResampleTest, ConstantPictureStaysConstantForEveryFilter)
{
    // Weights of each output sum to exactly 1 << 14, so sum(w * v) >> 14 = v.
    for (int channels = 1; channels <= 4; ++channels)
        for (int code : kCodes)
            for (auto [w2, h2] : {std::pair{7, 5}, std::pair{31, 23}, std::pair{3, 40}}) {
                Bytes src(13 * 11 * channels);
                for (std::size_t i = 0; i < src.size(); ++i) src[i] = static_cast<std::uint8_t>(200 + i % channels);
                Bytes dst(static_cast<std::size_t>(w2) * h2 * channels, 0);
                ASSERT_EQ(resize_image(src.data(), 13, 11, 13 * channels, dst.data(), w2, h2, w2 * channels, channels,
                                       code, 0), 1);
                for (std::size_t i = 0; i < dst.size(); ++i)
                    ASSERT_EQ(dst[i], 200 + i % channels) << "code " << code << " channels " << channels << " at " << i;
            }
}

TEST(ResampleTest, HandWorkedCases)
{
    // Nearest: 4 -> 2 takes source columns trunc((x + 0.5) * 2) = 1 and 3.
    const std::uint8_t row[4] = {10, 20, 30, 40};
    std::uint8_t out[2];
    ASSERT_EQ(resize_image(row, 4, 1, 4, out, 2, 1, 2, 1, kFilterNearest, 0), 1);
    EXPECT_EQ(out[0], 20);
    EXPECT_EQ(out[1], 40);
    // Area average 4 -> 2: (10 + 20) / 2 = 15 and (30 + 40) / 2 = 35.
    ASSERT_EQ(decimate_image(row, 4, 1, 4, out, 2, 1, 2, 1, 0), 1);
    EXPECT_EQ(out[0], 15);
    EXPECT_EQ(out[1], 35);
    // Box 4 -> 2 (support widened to 1): the same pairs.
    ASSERT_EQ(resize_image(row, 4, 1, 4, out, 2, 1, 2, 1, kFilterBox, 0), 1);
    EXPECT_EQ(out[0], 15);
    EXPECT_EQ(out[1], 35);
    // Bilinear 2 -> 4: centres at 0.25, 0.75, 1.25, 1.75 source pixels; the
    // outer two clamp to the edge, the inner two are 3/4 : 1/4 mixes:
    // 0.75 * 0 + 0.25 * 100 = 25 and 75.
    const std::uint8_t two[2] = {0, 100};
    std::uint8_t four[4];
    ASSERT_EQ(resize_image(two, 2, 1, 2, four, 4, 1, 4, 1, kFilterBilinear, 0), 1);
    EXPECT_EQ(four[0], 0);
    EXPECT_EQ(four[1], 25);
    EXPECT_EQ(four[2], 75);
    EXPECT_EQ(four[3], 100);
    // Same size copies exactly, whatever the kernel (Gaussian would blur).
    const std::uint8_t px[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    std::uint8_t copy[8] = {};
    ASSERT_EQ(resize_image(px, 2, 1, 8, copy, 2, 1, 8, 4, kFilterGaussian, 0), 1);
    EXPECT_EQ(Bytes(copy, copy + 8), Bytes(px, px + 8));
}

TEST(ResampleTest, FastPathsMatchScalarFormula)
{
    // RGBA horizontal and any vertical pass against sum(w * s) + 2^13 >> 14,
    // clamped, computed here straight from the weight table. Seeded values.
    unsigned seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, static_cast<std::uint8_t>(seed >> 16); };
    for (int code : {kFilterLanczos3, kFilterCatrom, kFilterSinc}) {
        const int w = 37, w2 = 19;
        Bytes src(w * 4);
        for (auto& v : src) v = next();
        Bytes dst(w2 * 4);
        ASSERT_EQ(resize_image(src.data(), w, 1, w * 4, dst.data(), w2, 1, w2 * 4, 4, code, 0), 1);
        const WeightTable t = make_weights(w, w2, kernel_for(code), false);
        for (int x = 0; x < w2; ++x)
            for (int c = 0; c < 4; ++c) {
                int acc = 1 << 13;
                for (int k = 0; k < t.taps; ++k) acc += t.weights[x * t.taps + k] * src[(t.first[x] + k) * 4 + c];
                EXPECT_EQ(dst[x * 4 + c], std::clamp(acc >> 14, 0, 255)) << "code " << code << " x " << x;
            }
        // Vertical: a 21-byte-wide column picture (SIMD body plus a tail).
        const int h = 29, h2 = 53, bytes = 21;
        Bytes col(h * bytes);
        for (auto& v : col) v = next();
        Bytes out(h2 * bytes);
        ASSERT_EQ(resize_image(col.data(), bytes, h, bytes, out.data(), bytes, h2, bytes, 1, code, 0), 1);
        const WeightTable ty = make_weights(h, h2, kernel_for(code), false);
        for (int y = 0; y < h2; ++y)
            for (int x = 0; x < bytes; ++x) {
                int acc = 1 << 13;
                for (int k = 0; k < ty.taps; ++k) acc += ty.weights[y * ty.taps + k] * col[(ty.first[y] + k) * bytes + x];
                EXPECT_EQ(out[y * bytes + x], std::clamp(acc >> 14, 0, 255)) << "y " << y << " x " << x;
            }
    }
}

TEST(ResampleTest, KernelsHaveTheirShape)
{
    // Interpolating kernels are 1 at 0 and 0 at the integers; smoothing ones are not.
    for (int code : {kFilterLanczos3, kFilterCatrom, kFilterCubic1, kFilterCubic2, kFilterHermite, kFilterSinc,
                     kFilterHanning, kFilterHamming, kFilterTriangle}) {
        const Kernel& k = kernel_for(code);
        EXPECT_NEAR(k.weight(0.0), 1.0, 1e-9) << code;
        EXPECT_NEAR(k.weight(1.0), 0.0, 1e-9) << code;
        EXPECT_NEAR(k.weight(2.0), 0.0, 1e-9) << code;
    }
    EXPECT_LT(kernel_for(kFilterBSpline).weight(0.0), 0.7);  // 4/6
    EXPECT_GT(kernel_for(kFilterBSpline).weight(1.0), 0.1);  // 1/6
    EXPECT_LT(kernel_for(kFilterLanczos3).weight(1.5), 0.0);  // negative lobe
    EXPECT_EQ(&kernel_for(99), &kernel_for(kFilterLanczos3));
}

TEST(ResampleTest, BadArgumentsFailAndLeaveTheDestination)
{
    std::uint8_t src[16] = {}, dst[16];
    std::fill(std::begin(dst), std::end(dst), 7);
    EXPECT_EQ(resize_image(nullptr, 2, 2, 8, dst, 2, 2, 8, 4, 8, 0), 0);
    EXPECT_EQ(resize_image(src, 0, 2, 8, dst, 2, 2, 8, 4, 8, 0), 0);
    EXPECT_EQ(resize_image(src, 2, 2, 8, dst, -1, 2, 8, 4, 8, 0), 0);
    EXPECT_EQ(resize_image(src, 2, 2, 8, dst, 2, 2, 8, 5, 8, 0), 0);
    EXPECT_EQ(resize_image(src, 2, 2, 4, dst, 2, 2, 8, 4, 8, 0), 0);  // row shorter than its pixels
    for (std::uint8_t v : dst) EXPECT_EQ(v, 7);
}

TEST(ResampleTest, MagickRoutesAndSeamCarving)
{
    initialize();
    // Mitchell and adaptive resize of a constant opaque picture stay constant.
    Bytes src(8 * 6 * 4);
    for (std::size_t i = 0; i < src.size(); ++i) src[i] = i % 4 == 3 ? 255 : 90;
    for (auto kind : {MagickResize::Mitchell, MagickResize::Adaptive, MagickResize::Lanczos}) {
        Bytes dst(5 * 9 * 4, 0);
        ASSERT_EQ(magick_resize_rgba(src.data(), 8, 6, dst.data(), 5, 9, kind), 1);
        for (std::size_t i = 0; i < dst.size(); ++i) EXPECT_NEAR(dst[i], i % 4 == 3 ? 255 : 90, 1);
    }
    // A 6 x 4 picture with a bright band at x = 2..3 on grey: carving two seams
    // removes flat columns and keeps the band (its edges carry the energy).
    Bytes pic(6 * 4 * 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            std::uint8_t* p = &pic[(y * 6 + x) * 4];
            p[0] = p[1] = p[2] = x == 2 || x == 3 ? 255 : 60;
            p[3] = 255;
        }
    for (int own = 0; own < 2; ++own) {
        Bytes out(4 * 4 * 4);
        const int ok = own ? seam_carve_rgba_own(pic.data(), 6, 4, out.data(), 4, nullptr, 0)
                           : seam_carve_rgba(pic.data(), 6, 4, out.data(), 4, nullptr, 0);
        ASSERT_EQ(ok, 1);
        for (int y = 0; y < 4; ++y) {
            int bright = 0;
            for (int x = 0; x < 4; ++x) bright += out[(y * 4 + x) * 4] == 255;
            EXPECT_EQ(bright, 2) << "row " << y << (own ? " own" : " magick");
        }
    }
    // A guide protects a flat column the plain energy would carve.
    std::vector<std::uint16_t> guide(6 * 4, 0);
    for (int y = 0; y < 4; ++y) guide[y * 6 + 5] = 65535;
    for (int y = 0; y < 4; ++y) pic[(y * 6 + 5) * 4] = 61;  // mark column 5
    Bytes out(4 * 4 * 4);
    ASSERT_EQ(seam_carve_rgba(pic.data(), 6, 4, out.data(), 4, guide.data(), 6), 1);
    for (int y = 0; y < 4; ++y) EXPECT_EQ(out[(y * 4 + 3) * 4], 61);
    // Widening through liquid rescale (or the fallback) gives the new width.
    Bytes wide(9 * 4 * 4);
    EXPECT_EQ(seam_carve_rgba(pic.data(), 6, 4, wide.data(), 9, nullptr, 0), 1);
    EXPECT_EQ(seam_carve_rgba_own(pic.data(), 6, 4, wide.data(), 9, nullptr, 0), 0);  // own carver only narrows
}

}  // namespace
