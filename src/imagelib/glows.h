// Glows around and inside the opaque parts of an RGBA32 picture (packed rows
// of width * 4 bytes). The glow's coverage is the alpha channel softened by
// two window means of radius `radius` / 2 (a tent of total radius about
// `radius`), times `strength` and capped at 255; its colour is `colour`
// (bytes r, g, b). Non-zero on success; src and dst may be the same buffer.
#pragma once

#include <cstdint>

namespace mve::il {

struct GlowColour {
    std::uint8_t r, g, b;
};

// Outer glow: g = min(255, strength * soft(alpha)) lies behind the picture,
// which is composited over it ("over", straight alpha): a = as + g (255 - as) / 255,
// colour = (src as + glow g (255 - as) / 255) / a. Opaque pixels keep their
// colour; transparent ones near shapes take the glow.
int outer_glow(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long radius, double strength,
               GlowColour colour) noexcept;
// Inner glow: g = min(255, strength * soft(255 - alpha)) * as / 255 mixes the
// glow colour into the picture's own pixels near its transparent edges:
// colour = src + (glow - src) g / 255; alpha is kept.
int inner_glow(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long radius, double strength,
               GlowColour colour) noexcept;

}  // namespace mve::il
