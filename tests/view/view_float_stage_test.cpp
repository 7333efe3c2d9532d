// The packed float stage against the scalar formulas of the merge core: both
// must give the same float bits for every input.
#include "view/view_float_stage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "core/blend_modes.h"
#include "core/merge_formulas.h"

namespace mve {
namespace {

template <int M>
void scalar_stage(float dst[4], std::uint32_t R, std::uint32_t G, std::uint32_t B, std::uint32_t A)
{
    const float cu = 1.0f / 65280.0f, au = 1.0f / 65535.0f;
    const FloatPixel src{static_cast<float>(R) * cu, static_cast<float>(G) * cu, static_cast<float>(B) * cu,
                         static_cast<float>(A) * au};
    const FloatPixel d{dst[0], dst[1], dst[2], dst[3]};
    const FloatPixel out = formulas::blend_straight<M>(src, d);
    dst[0] = static_cast<float>(out.r), dst[1] = static_cast<float>(out.g);
    dst[2] = static_cast<float>(out.b), dst[3] = static_cast<float>(out.a);
}

template <int M, VectorRule Rule>
void expect_same_bits(std::uint32_t seed)
{
    std::mt19937 rng(seed);
    // Edge values of the 16-bit source and of the float composite come up often.
    const std::uint32_t edges[] = {0, 1, 255, 32768, 65279, 65280, 65534, 65535};
    const float fedges[] = {0.0f, 1e-6f, 0.5f, 0.99999994f, 1.0f, 65535.0f / 65280.0f};
    auto value = [&] { return rng() % 4 == 0 ? edges[rng() % 8] : rng() % 65536; };
    auto fvalue = [&] {
        return rng() % 4 == 0 ? fedges[rng() % 6] : std::uniform_real_distribution<float>(0.0f, 1.0f)(rng);
    };
    for (int i = 0; i < 200000; ++i) {
        const std::uint32_t R = value(), G = value(), B = value(), A = value();
        float a[4] = {fvalue(), fvalue(), fvalue(), fvalue()};
        float b[4];
        std::memcpy(b, a, sizeof a);
        scalar_stage<M>(a, R, G, B, A);
        combine_vector<Rule>(b, R, G, B, A);
        ASSERT_EQ(0, std::memcmp(a, b, sizeof a))
            << "mode " << M << " source " << R << ' ' << G << ' ' << B << ' ' << A << " case " << i;
    }
}

TEST(ViewFloatStage, PackedNormalMatchesTheScalarFormula)
{
    expect_same_bits<kNormal, VectorRule::kNormal>(1);
    // Modes that blend as Normal use the same packed rule.
    expect_same_bits<kReflect, VectorRule::kNormal>(2);
    expect_same_bits<kSilhouette, VectorRule::kNormal>(3);
}

TEST(ViewFloatStage, PackedMultiplyMatchesTheScalarFormula)
{
    expect_same_bits<kMultiply, VectorRule::kMultiply>(4);
}

TEST(ViewFloatStage, OpaqueSourceReplacesTheComposite)
{
    // Every 16-bit red value, over composites of any alpha, against the full formula.
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (std::uint32_t R = 0; R <= 65535; ++R) {
        const std::uint32_t G = rng() % 65536, B = 65535 - R;
        float a[4] = {unit(rng), unit(rng), unit(rng), R % 7 == 0 ? 0.0f : unit(rng)};
        float b[4];
        std::memcpy(b, a, sizeof a);
        scalar_stage<kNormal>(a, R, G, B, 65535);
        replace_by_opaque(b, R, G, B);
        ASSERT_EQ(0, std::memcmp(a, b, sizeof a)) << "red " << R;
    }
}

TEST(ViewFloatStage, NothingLeftIsBlack)
{
    // A transparent source over a transparent composite: all four floats 0.
    float c[4] = {0.25f, 0.5f, 0.75f, 0.0f};
    combine_vector<VectorRule::kNormal>(c, 1000, 2000, 3000, 0);
    for (float v : c) EXPECT_EQ(v, 0.0f);
}

TEST(ViewFloatStage, HalfOverOpaqueByHand)
{
    // Source 65280 (1.0) at Sa = 32768 / 65535 over opaque black: Rc = Sa, alpha 1,
    // so red comes out as Sa and green and blue stay 0.
    float c[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    combine_vector<VectorRule::kNormal>(c, 65280, 0, 0, 32768);
    EXPECT_FLOAT_EQ(c[0], 32768.0f / 65535.0f);
    EXPECT_EQ(c[1], 0.0f);
    EXPECT_EQ(c[3], 1.0f);
    // Multiply of 0.5 grey over opaque 0.5 grey at full alpha: 0.25.
    float m[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    combine_vector<VectorRule::kMultiply>(m, 32640, 32640, 32640, 65535);
    EXPECT_FLOAT_EQ(m[0], 0.25f);
    EXPECT_EQ(m[3], 1.0f);
}

}  // namespace
}  // namespace mve
