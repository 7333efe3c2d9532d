// Bump-map displacement for the transform queue (transforms.h), and the grey
// picture a bump map is made from.
#pragma once

#include <cstdint>

namespace mve::il {

// Grey level of every pixel of src into a packed-or-strided 8-bit picture:
//     grey = (299 R + 587 G + 114 B + 500) / 1000   (Rec. 601 luma, rounded)
// for 3 or 4 bytes per pixel; one byte per pixel is copied. flags is accepted
// for callers that pass 0 and changes nothing. Non-zero on success.
int image_to_grey8(const std::uint8_t* src, int width, int height, int bytesPerPixel, int srcRowBytes,
                   std::uint8_t* grey, int greyRowBytes, int flags) noexcept;

// Queues a bump-map displacement of a width x height picture, read with the
// edge repeated (edge mode 2). The map (mapWidth x mapHeight grey bytes,
// packed rows) is copied. Destination pixel (x, y) shows the source at
//     (x + strength * (m(x+1, y) - m(x-1, y)) / 255,
//      y + strength * (m(x, y+1) - m(x, y-1)) / 255)
// sampled bilinearly, where m reads the map at the nearest pixel, its edge
// repeated; so a step from black to white between two neighbours moves the
// picture by `strength` pixels there, and a flat map (or strength 0) moves
// nothing. Non-zero on success; 0 for bad sizes or a null map.
int add_bump_map_displacement_transform(int width, int height, float strength, const std::uint8_t* map,
                                        int mapWidth, int mapHeight) noexcept;

}  // namespace mve::il
