// The packed float stage of the merge core against the scalar stage: seeded
// sweeps over every mode at every vector level this processor has, with
// edge values mixed into random pixels. A failure prints its seed and the
// pixel, so the case can be replayed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "core/blend_modes.h"
#include "core/merge_core.h"
#include "core/merge_float_batch.h"
#include "core/merge_formulas.h"
#include "core/merge_modes.h"
#include "core/runtime.h"
#include "core/simd_float_stage.h"
#include "core/simd_lanes.h"

namespace mve {
namespace {

// Runs a test body at one vector level and puts the ceiling and the fast-path switch back after.
struct AtLevel {
    SimdLevel saved = simd_ceiling();
    bool fast = fast_paths_enabled();
    explicit AtLevel(SimdLevel level)
    {
        set_simd_ceiling(level);
        set_fast_paths(true);
    }
    ~AtLevel()
    {
        set_simd_ceiling(saved);
        set_fast_paths(fast);
    }
};

// The vector levels to sweep: SSE2 always, AVX2 when the processor has it.
std::vector<SimdLevel> levels_here()
{
    std::vector<SimdLevel> out{SimdLevel::Sse2};
    AtLevel all(SimdLevel::Avx2);
    if (simd_level_in_force() == SimdLevel::Avx2) out.push_back(SimdLevel::Avx2);
    return out;
}

const char* level_name(SimdLevel l)
{
    return l == SimdLevel::Avx2 ? "AVX2" : "SSE2";
}

// 16-bit values with the edges (0, 1, the 65280 colour top, 65535) one time in three.
std::uint16_t value(std::mt19937& rng)
{
    static const std::uint16_t edges[] = {0, 1, 32768, 65279, 65280, 65535};
    return rng() % 3 == 0 ? edges[rng() % 6] : static_cast<std::uint16_t>(rng());
}

// Greys and equal channels (the HSL models' special cases: no hue, no
// saturation, ties for the largest channel) one pixel in three.
template <class T>
void tie_channels(std::mt19937& rng, T* px)
{
    switch (rng() % 9) {
        case 0:
            px[1] = px[2] = px[0];
            break;
        case 1:
            px[1] = px[0];
            break;
        case 2:
            px[2] = px[1];
            break;
        default:
            break;
    }
}

TEST(MergePackedStage, KernelMatchesScalarStageForEveryMode)
{
    for (const SimdLevel level : levels_here()) {
        AtLevel at(level);
        for (int mode = 0; mode <= kSilhouette; ++mode) {
            const FloatBatchKernel kernel = float_batch_kernel(mode);
            ASSERT_NE(kernel, nullptr) << "mode " << mode << ' ' << level_name(level);
            for (std::uint32_t seed = 1; seed <= 300; ++seed) {
                std::mt19937 rng(seed * 131 + static_cast<std::uint32_t>(mode));
                const int count =
                    1 + static_cast<int>(rng() % (2 * FloatBatch::kSize + 3));  // past a full batch
                std::vector<std::uint16_t> dst(static_cast<std::size_t>(count) * 4);
                for (auto& v : dst) v = value(rng);
                for (int i = 0; i < count; ++i) tie_channels(rng, &dst[static_cast<std::size_t>(i) * 4]);
                const std::vector<std::uint16_t> before = dst;
                FloatBatch batch;
                batch.lockAlpha = seed % 5 == 0;
                std::vector<std::uint32_t> sources;
                for (int i = 0; i < count; ++i) {
                    for (int c = 0; c < 4; ++c) sources.push_back(value(rng));
                    tie_channels(rng, &sources[static_cast<std::size_t>(i) * 4]);
                    const std::uint32_t* s = &sources[static_cast<std::size_t>(i) * 4];
                    queue_pixel(batch, kernel, s[0], s[1], s[2], s[3], &dst[static_cast<std::size_t>(i) * 4]);
                }
                flush(batch, kernel);
                for (int i = 0; i < count; ++i) {
                    const std::uint16_t* d0 = &before[static_cast<std::size_t>(i) * 4];
                    const std::uint32_t* s = &sources[static_cast<std::size_t>(i) * 4];
                    const std::uint32_t d[4] = {d0[0], d0[1], d0[2], d0[3]};
                    std::uint32_t want[4];
                    blend_float16(mode, s, d, want);
                    if (batch.lockAlpha) want[3] = d[3];
                    const std::uint16_t* got = &dst[static_cast<std::size_t>(i) * 4];
                    for (int c = 0; c < 4; ++c)
                        ASSERT_EQ(got[c], want[c])
                            << "mode " << mode << ' ' << level_name(level) << " seed " << seed << " pixel "
                            << i << " channel " << c << " source " << s[0] << ' ' << s[1] << ' ' << s[2]
                            << ' ' << s[3] << " destination " << d[0] << ' ' << d[1] << ' ' << d[2] << ' '
                            << d[3];
                }
            }
        }
    }
}

TEST(MergePackedStage, RunKernelMatchesScalarStageAndStopsAtTheFirstRefusedGroup)
{
    // Rows of blendable pixels (alphas not 0; under the Normal rule the
    // source alpha at most 0xFEFF), with one refused pixel put in at a
    // seeded place in half the rows. The kernel must blend exactly the whole
    // groups of four before that pixel, each as the scalar stage does, and
    // leave everything after untouched.
    for (const SimdLevel level : levels_here()) {
        AtLevel at(level);
        for (int mode = 0; mode <= kSilhouette; ++mode) {
            const FloatRunKernel run = float_kernels(mode).run;
            ASSERT_NE(run, nullptr) << "mode " << mode;
            const bool normalRule = blend_formula_of(mode) == kNormal;
            for (std::uint32_t seed = 1; seed <= 200; ++seed) {
                std::mt19937 rng(seed * 7919 + static_cast<std::uint32_t>(mode));
                const int count = 1 + static_cast<int>(rng() % 23);
                std::vector<std::uint16_t> src(static_cast<std::size_t>(count) * 4), dst(src.size());
                for (int i = 0; i < count; ++i)
                    for (int c = 0; c < 4; ++c) {
                        std::uint16_t sv = value(rng), dv = value(rng);
                        if (c == 3) {
                            sv = std::max<std::uint16_t>(sv, 1), dv = std::max<std::uint16_t>(dv, 1);
                            if (normalRule) sv = std::min<std::uint16_t>(sv, 0xFEFF);
                        }
                        src[static_cast<std::size_t>(i) * 4 + c] = sv;
                        dst[static_cast<std::size_t>(i) * 4 + c] = dv;
                    }
                for (int i = 0; i < count; ++i) {
                    tie_channels(rng, &src[static_cast<std::size_t>(i) * 4]);
                    tie_channels(rng, &dst[static_cast<std::size_t>(i) * 4]);
                }
                int refused = count;
                if (seed % 2 == 0) {
                    refused = static_cast<int>(rng() % static_cast<std::uint32_t>(count));
                    const int kind = static_cast<int>(rng() % (normalRule ? 3 : 2));
                    std::uint16_t* alpha = kind == 1 ? &dst[static_cast<std::size_t>(refused) * 4 + 3]
                                                     : &src[static_cast<std::size_t>(refused) * 4 + 3];
                    *alpha = kind == 2 ? 0xFF00 : 0;
                }
                const bool lock = seed % 3 == 0;
                const std::vector<std::uint16_t> before = dst;
                const int done = run(src.data(), dst.data(), count, lock);
                ASSERT_EQ(done, refused / 4 * 4)
                    << "mode " << mode << ' ' << level_name(level) << " seed " << seed;
                for (int i = 0; i < count; ++i) {
                    const std::uint16_t* d0 = &before[static_cast<std::size_t>(i) * 4];
                    const std::uint16_t* s0 = &src[static_cast<std::size_t>(i) * 4];
                    const std::uint32_t s[4] = {s0[0], s0[1], s0[2], s0[3]},
                                        d[4] = {d0[0], d0[1], d0[2], d0[3]};
                    std::uint32_t want[4] = {d[0], d[1], d[2], d[3]};
                    if (i < done) {
                        blend_float16(mode, s, d, want);
                        if (lock) want[3] = d[3];
                    }
                    for (int c = 0; c < 4; ++c)
                        ASSERT_EQ(dst[static_cast<std::size_t>(i) * 4 + c], want[c])
                            << "mode " << mode << ' ' << level_name(level) << " seed " << seed << " pixel "
                            << i << " channel " << c;
                }
            }
        }
    }
}

TEST(MergePackedStage, PremultipliedResultsHaveTheScalarBits)
{
    // Before the truncation to 16 bits hides small differences: the packed
    // Rc of every formula is the scalar Rc to the last bit, pixel by pixel.
    for (int mode = 0; mode <= kSilhouette; ++mode) {
        dispatch_formula_mode(mode, [&]<int M>() {
            constexpr int F = formulas::formula_of(M);
            std::mt19937 rng(static_cast<std::uint32_t>(M) + 7);
            for (int round = 0; round < 20000; ++round) {
                formulas::Operands o[2];
                simd::PixelLanes<simd::Lanes2> p;
                double lanes[7][2];
                for (int k = 0; k < 2; ++k) {
                    o[k].sa = value(rng) * formulas::kInv65535;
                    o[k].da = value(rng) * formulas::kInv65535;
                    std::uint16_t sv[3] = {value(rng), value(rng), value(rng)};
                    std::uint16_t dv[3] = {value(rng), value(rng), value(rng)};
                    tie_channels(rng, sv);
                    tie_channels(rng, dv);
                    for (int c = 0; c < 3; ++c) {
                        o[k].s[c] = sv[c] * formulas::kInv65280;
                        o[k].sc[c] = o[k].s[c] * o[k].sa;
                        o[k].dc[c] = dv[c] * formulas::kInv65280 * o[k].da;
                        lanes[c][k] = o[k].s[c], lanes[3 + c][k] = o[k].dc[c];
                    }
                    lanes[6][k] = o[k].da;
                }
                p.sa.v = _mm_setr_pd(o[0].sa, o[1].sa);
                p.da.v = _mm_loadu_pd(lanes[6]);
                for (int c = 0; c < 3; ++c) {
                    p.s[c].v = _mm_loadu_pd(lanes[c]);
                    p.sc[c] = p.s[c] * p.sa;
                    p.dc[c].v = _mm_loadu_pd(lanes[3 + c]);
                }
                simd::Lanes2 packed[3];
                simd::blend_lanes<F>(p, packed);
                for (int k = 0; k < 2; ++k) {
                    double scalar[3];
                    formulas::blend<F>(o[k], scalar);
                    for (int c = 0; c < 3; ++c) {
                        double lane[2];
                        _mm_storeu_pd(lane, packed[c].v);
                        ASSERT_EQ(0, std::memcmp(&lane[k], &scalar[c], sizeof(double)))
                            << "mode " << M << " round " << round << " lane " << k << " channel " << c << ": "
                            << lane[k] << " vs " << scalar[c];
                    }
                }
            }
        });
    }
}

TEST(MergePackedStage, WholeMergesAgreeWithScalarReferenceForEveryMode)
{
    // 37 x 3 rectangles (tails of every register width) through the whole merge
    // core, under opacity, level, lock alpha, the layer mask and the
    // same-alpha-mode flag, against the same merge with the fast paths off.
    const int w = 37, h = 3;
    for (const SimdLevel level : levels_here()) {
        for (int mode = 0; mode < kBlendModeCount; ++mode) {
            for (std::uint32_t seed = 1; seed <= 6; ++seed) {
                std::mt19937 rng(seed * 977 + static_cast<std::uint32_t>(mode));
                std::vector<std::uint16_t> src(w * h * 4), mask(w * h * 4), dst(w * h * 4);
                for (auto& v : src) v = value(rng);
                for (auto& v : mask) v = value(rng);
                for (auto& v : dst) v = value(rng);
                const int opacity = seed % 2 ? 256 : 200, lvl = seed % 3 ? 255 : 140;
                const bool lock = seed == 4, same = seed >= 5;
                const int maskMode = seed == 6 ? kLayerMaskMode : 0;
                std::vector<std::uint16_t> fast = dst, slow = dst;
                {
                    AtLevel at(level);
                    merge_rgba64(src.data(), 0, 0, w, h, w * 4, mask.data(), fast.data(), 0, 0, w * 4, mode,
                                 maskMode, opacity, lvl, lock, same);
                    set_fast_paths(false);
                    merge_rgba64(src.data(), 0, 0, w, h, w * 4, mask.data(), slow.data(), 0, 0, w * 4, mode,
                                 maskMode, opacity, lvl, lock, same);
                }
                for (std::size_t i = 0; i < fast.size(); ++i)
                    ASSERT_EQ(fast[i], slow[i]) << "mode " << mode << ' ' << level_name(level) << " seed "
                                                << seed << " pixel " << i / 4 << " channel " << i % 4;
            }
        }
    }
}

TEST(MergePackedStage, SwitchesTurnThePackedStageOff)
{
    {
        AtLevel at(SimdLevel::Scalar);
        EXPECT_EQ(float_batch_kernel(kMultiply), nullptr);
        EXPECT_EQ(simd_level_in_force(), SimdLevel::Scalar);
    }
    AtLevel at(SimdLevel::Sse2);
    EXPECT_NE(float_batch_kernel(kMultiply), nullptr);
    set_fast_paths(false);
    EXPECT_EQ(float_batch_kernel(kMultiply), nullptr);
}

}  // namespace
}  // namespace mve
