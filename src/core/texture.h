// The texture plane: one byte of paper grain per canvas pixel, built from the
// luminance of a layer and read by dabs and the masked write paths.
#pragma once

#include <cstdint>

#include "core/memory.h"

namespace mve {

struct CoreState;

struct TextureState {
    Plane8 plane;  // width * height bytes; present only while a layer uses mode 29
};

// Texture value of a pixel: (R + G + B) / 768 clamped to 4..250, so a texture
// always lowers coverage and never wipes it out.
inline std::uint8_t texture_value(unsigned r, unsigned g, unsigned b) noexcept
{
    unsigned t = (r + g + b) / 768;
    return static_cast<std::uint8_t>(t > 250 ? 250 : (t < 4 ? 4 : t));
}

// Builds (or rebuilds, reusing the plane) from layer `index`; returns the
// canvas width, 0 when the plane cannot be allocated.
int create_texture(CoreState& e, int index);
void delete_texture(CoreState& e) noexcept;

}  // namespace mve
