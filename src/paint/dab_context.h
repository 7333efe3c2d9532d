// What a dab's row kernels read: every setting and plane, fixed for the
// whole dab, filled once by the rasteriser's set-up.
#pragma once

#include <cstddef>
#include <cstdint>

#include "paint/dab_pixel.h"
#include "paint/dab_setup.h"
#include "paint/paint_mix.h"

namespace mve {

// Everything the row kernel reads, fixed for the whole dab.
struct DabContext : DabInputs {
    using u32 = dab::u32;
    using Px = dab::Px;

    bool identityTable = false;  // table[j] = j over the drawn columns
    const std::uint8_t* texture = nullptr;
    const std::uint16_t* mask = nullptr;  // null: mask off
    bool maskMultiplies = true;
    bool solid = false, imageBrush = false;
    u32 q = 0;                        // primary colour strength
    Px primary{};                     // dab colour * q
    Px colour{};                      // dab colour
    dab::LowMode low;
    PaintMixInputs mix;
    int t = 0;  // mix level of the strength blend
    bool erase = false;
    const std::uint8_t* colourTable = nullptr;
    int colourAmount = 0, colourLength = 0;
    const RowStarts* starts = nullptr;
    std::uint16_t* target = nullptr;
    std::size_t stride = 0;
    dab::AlphaRules alpha;
    bool colourLocked = false;
};

// Writes a composed result into the target pixel by the alpha-write rules.
inline void write_pixel(const DabContext& cx, std::uint16_t* p, const dab::Px& R, dab::u32 Da, dab::u32 cap)
{
    if (!cx.erase && !cx.colourLocked) {
        p[0] = static_cast<std::uint16_t>(R[0]);
        p[1] = static_cast<std::uint16_t>(R[1]);
        p[2] = static_cast<std::uint16_t>(R[2]);
    }
    dab::u32 a;
    if (dab::alpha_to_write(cx.alpha, Da, R[3], cap, a)) p[3] = static_cast<std::uint16_t>(a);
}

// Draws canvas row `row` of the dab.
using RowKernel = void (*)(const DabContext&, int);

}  // namespace mve
