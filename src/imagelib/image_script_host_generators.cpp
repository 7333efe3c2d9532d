// The generators the effect dispatcher runs (steps 20..34). They paint the
// same patterns as the script generators, but take their values in the
// dispatcher's slot layout:
//   3 seed (0: the script's stream), 4 v1, 5 v2, 18 v3, 6 v4, 7 v5, 17 v6,
//   15 v7, 16 v8, 8..10 colour R, G, B, 14 blend code, 0 opacity (percent).
// v1, v2 and v5 arrive in hundredths of a slider percent (0..10000), v3, v4
// and v6 in whole percent (0..100), v7 and v8 are option bytes. Each step here is
// one table row that turns these values into its script generator's values;
// the generator then paints the colour (from black where its mix is below
// 1) with the engine's layer blend mode of the blend code.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "imagelib/image_script_paint.h"

namespace mve::il::isl_detail {

namespace {

using Values = std::array<double, kIslValueSlots>;

constexpr int kSeedSlot = 3, kBlendSlot = 14, kColourSlot = 8;
constexpr int kMainSlots[8] = {4, 5, 18, 6, 7, 17, 15, 16};  // v1..v8

// One script value from the host values: v[source] * factor + offset
// (source -1: the offset alone).
struct ValueMap {
    int slot = -1;
    int source = -1;
    double factor = 0;
    double offset = 0;
};

struct HostGenerator {
    int id;
    int scriptId;
    StepFn run;
    std::array<ValueMap, 7> values;
};

const HostGenerator kHostGenerators[] = {
    // Lines: count v1 / 10, thickness v2 / 100 px, angle v3 x 3.6, length v4 %, jitter v5 x 0.036, vary v6.
    {20, 6, gen_lines, {{{10, 0, 0.1}, {11, 1, 0.01}, {12, 2, 3.6}, {14, 3, 1}, {13, 4, 0.036}, {15, 5, 1}}}},
    // Points: count v1, size v2 / 100 px, vary v6.
    {21, 7, gen_points, {{{10, 0, 1}, {11, 1, 0.01}, {12, 5, 1}}}},
    // Circles: count v1 / 10, radius v2 / 100 .. v5 / 100 px, ring v4 / 5 px, vary v6.
    {22, 8, gen_circles, {{{10, 0, 0.1}, {11, 1, 0.01}, {12, 4, 0.01}, {13, 3, 0.2}, {14, 5, 1}}}},
    // Rectangles: count v1 / 10, sides v2 / 100 .. v5 / 100 px, frame v4 / 5 px, vary v6.
    {23, 9, gen_rectangles, {{{10, 0, 0.1}, {11, 1, 0.01}, {12, 4, 0.01}, {13, 3, 0.2}, {14, 5, 1}}}},
    // Splines: count v1 / 100, thickness v2 / 100 px, size v4 %, bend v3 %, vary v6.
    {24, 10, gen_splines, {{{10, 0, 0.01}, {11, 1, 0.01}, {12, 3, 1}, {13, 2, 1}, {14, 5, 1}}}},
    // Worms: count v1 / 100, thickness v2 / 100 px, length v5 / 10 px, curl v3 x 0.9 degrees, vary v6.
    {25, 11, gen_worms, {{{10, 0, 0.01}, {11, 1, 0.01}, {12, 4, 0.1}, {13, 2, 0.9}, {14, 5, 1}}}},
    // Fibers: count v1 / 5, length v4 %, thickness v2 / 1000 px, angle v3 x 3.6, jitter v5 x 0.036,
    // curl 6 degrees, vary v6.
    {26,
     12,
     gen_fibers,
     {{{10, 0, 0.2}, {11, 3, 1}, {12, 1, 0.001}, {13, 2, 3.6}, {14, 4, 0.036}, {15, -1, 0, 6}, {16, 5, 1}}}},
    // Trees: count v1 / 200, height v4 %, depth 1 + v3 x 0.11, spread v5 x 0.009 degrees,
    // trunk v2 / 200 px, vary v6.
    {27,
     13,
     gen_trees,
     {{{10, 0, 0.005}, {11, 3, 1}, {12, 2, 0.11, 1}, {13, 4, 0.009}, {14, 1, 0.005}, {15, 5, 1}}}},
    // Generate Noise: cells of 1 + v1 / 100 px.
    {28, 3, gen_noise, {{{10, 0, 0.01, 1}}}},
    // Blobs: count v1 / 100, radius v2 / 100 .. v5 / 100 px, wobble v3 %, softness v4 / 2 px, vary v6.
    {29,
     14,
     gen_blobs,
     {{{10, 0, 0.01}, {11, 1, 0.01}, {12, 4, 0.01}, {13, 2, 1}, {14, 3, 0.5}, {15, 5, 1}}}},
    // Plasma: one field per channel, roughness v1 / 100.
    {30, 16, gen_colour_plasma, {{{10, 0, 0.01}}}},
    // Sine Plasma: wavelength 4 + v1 / 20 px; v7 = 1 mixes black and the colour instead of the rainbow.
    {31, 15, gen_sine_plasma, {{{10, 0, 0.05, 4}, {11, 6, 1}}}},
    // Fractal Plasma: grey clouds, roughness v1 / 100.
    {32, 4, gen_plasma, {{{10, 0, 0.01}}}},
    // Generate Perlin Noise: cells of 1 + v1 / 20 px, 1 + v3 x 0.07 octaves, persistence v4 %.
    {33, 5, gen_perlin, {{{10, 0, 0.05, 1}, {11, 2, 0.07, 1}, {12, 3, 1}}}},
    // Pattern: kind v7, cells of 2 + v1 / 50 px, ink v4 % of the cell.
    {34, 17, gen_pattern, {{{10, 6, 1}, {11, 0, 0.02, 2}, {12, 3, 1}}}},
};

const HostGenerator* find_host(int id)
{
    for (const HostGenerator& g : kHostGenerators)
        if (g.id == id) return &g;
    return nullptr;
}

// The host value vN of a step, NaN-free (the parser refuses NaN; the
// session's setter does not, so it is checked here).
double host_value(const IslStep& s, int slot)
{
    const double v = s.values[static_cast<std::size_t>(slot)];
    return std::isfinite(v) ? std::clamp(v, -1e9, 1e9) : 0.0;
}

// The generator's first outputs grow almost in step with its seed, so
// neighbouring seeds (5, 6) would start alike; the seed is mixed first
// (a 32-bit integer hash) so every seed starts its own pattern.
std::uint32_t scrambled(std::uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

}  // namespace

bool host_generator_step(const IslStep& host, IslStep& out) noexcept
{
    const HostGenerator* g = find_host(host.id);
    if (!g) return false;
    out.id = g->scriptId;
    out.values = {};
    out.values[0] = host_value(host, 0);
    out.values[1] = kLayerModeBase + layer_mode_from_blend_code(host_value(host, kBlendSlot));
    out.values[2] = out.values[3] = out.values[4] = 0;  // black, opaque
    out.values[5] = 255;
    for (int i = 0; i < 3; ++i)
        out.values[static_cast<std::size_t>(6 + i)] = host_value(host, kColourSlot + i);
    out.values[9] = 255;
    for (const ValueMap& m : g->values) {
        if (m.slot < 0) continue;
        const double v = m.source >= 0 ? host_value(host, kMainSlots[m.source]) : 0.0;
        out.values[static_cast<std::size_t>(m.slot)] = v * m.factor + m.offset;
    }
    return true;
}

// Runs a dispatcher generator: its values become the script generator's,
// and a non-zero seed slot gives the step its own random stream.
void gen_host(const IslStep& s, Picture pic, CrtRandom& rng)
{
    IslStep script;
    const HostGenerator* g = find_host(s.id);
    if (!g || !host_generator_step(s, script)) return;
    const double seed = host_value(s, kSeedSlot);
    if (seed == 0) return g->run(script, pic, rng);
    CrtRandom own;
    own.seed(scrambled(static_cast<std::uint32_t>(static_cast<std::int64_t>(seed))));
    g->run(script, pic, own);
}

}  // namespace mve::il::isl_detail

namespace mve::il {

int layer_mode_from_blend_code(double code) noexcept
{
    if (!std::isfinite(code) || code < 0 || code > static_cast<int>(kSilhouette)) return kNormal;
    const int c = static_cast<int>(code);
    if (c == 12) return kNormal;
    return c < 12 ? c + 1 : c;
}

}  // namespace mve::il
