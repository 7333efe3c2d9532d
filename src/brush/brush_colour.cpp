// Brush colour, colour banks, colour variation and the pick-up blend strengths.
#include <array>

#include "brush/brush_settings.h"
#include "engine/engine.h"
#include "morvane/morvane.h"

namespace mve {

void set_blend_strength(BrushSettings& b, int s) noexcept
{
    b.blendStrength = s;
    if (s > 0) b.blendStrengthInverse = 256 - s;
}

void set_blend_primary_strength(BrushSettings& b, int s) noexcept
{
    b.blendPrimaryColorStrength = s;
    if (s > 0) b.blendPrimaryColorStrengthInverse = 256 - s;
}

void brush::set_colour_banks(BrushSettings& s, const std::array<int, 12>& rgb) noexcept
{
    for (std::size_t k = 0; k < 4; ++k) {
        s.bankR[k] = channel8_to16(rgb[k * 3]);
        s.bankG[k] = channel8_to16(rgb[k * 3 + 1]);
        s.bankB[k] = channel8_to16(rgb[k * 3 + 2]);
        s.bankA[k] = 65535;
    }
}

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API void MVE_SetColor(int r, int g, int b)
{
    // 8-bit channels widen by * 256 (255 -> 65280); alpha is full.
    engine().brush.color = {channel8_to16(r), channel8_to16(g), channel8_to16(b), 65535};
}

MVE_API void MVE_SetColor16(int r, int g, int b)
{
    engine().brush.color = {static_cast<std::uint16_t>(r), static_cast<std::uint16_t>(g),
                            static_cast<std::uint16_t>(b), 65535};
}

MVE_API void MVE_SetColorBanks(int r0, int g0, int b0, int r1, int g1, int b1, int r2, int g2, int b2, int r3,
                               int g3, int b3)
{
    brush::set_colour_banks(engine().brush, {r0, g0, b0, r1, g1, b1, r2, g2, b2, r3, g3, b3});
}

MVE_API void MVE_SetColorVary(int v) { engine().brush.colorVary = v; }

MVE_API void MVE_SetBlendStrength(int s) { set_blend_strength(engine().brush, s); }

MVE_API void MVE_SetBlendPrimaryColorStrength(int s) { set_blend_primary_strength(engine().brush, s); }

MVE_API void MVE_SetBlendRemix(int on) { engine().brush.blendRemix = static_cast<std::uint8_t>(on); }

}  // extern "C"
