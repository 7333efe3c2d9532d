// A texture pressed into a picture: its grey levels read as a height field
// that embosses or lights the picture's colour. Heights are the Rec. 601 luma
// of the texture (image_to_grey8), edges repeated.
#pragma once

#include <cstdint>

namespace mve::il {

// Emboss: every colour channel of the packed RGB24 picture `rgb` (rows
// width * 3 bytes) moves by depth * (h(x-1, y-1) - h(x+1, y+1)), rounded,
// clamped to 0..255, where h is the grey of the RGBA32 `texture` of the same
// size: slopes facing the top-left brighten, those facing away darken, flat
// areas stay as they are. Non-zero on success.
int emboss_by_texture(std::uint8_t* rgb, const std::uint8_t* texture, int width, int height,
                      double depth) noexcept;

// Bump lighting: the RGBA32 picture's colour (rows width * 4 bytes, alpha
// untouched) times the light falling on the texture's height field, with the
// light from `angleDegrees` (0 from the right, 90 from the top) at 45 degrees
// of elevation and the surface normal (-depth * dh/dx, -depth * dh/dy, 1)
// (h in 0..1 from the grey, central differences). The factor is
// max(0, N.L) / (|N| L.z), 1 on flat areas. Non-zero on success.
int light_by_texture(std::uint8_t* rgba, const std::uint8_t* texture, int width, int height, double depth,
                     double angleDegrees) noexcept;

}  // namespace mve::il
