// Bump-map displacement of Src32 into Dst32, written into the current layer.
#pragma once

#include <cstdint>

namespace mve::ipl {

// From a canvas-sized RGBA32 map: its grey picture displaces by strength x 5
// with the edge repeated; background (R in the low byte) fills what maps
// nowhere. On success Dst32 is un-premultiplied and loaded into the current
// layer through the Mask and texture (the caller premultiplied Src32).
// Nothing without canvas-sized Src32 and Dst32 or a map. Records
// "IPLDisplacementBumpRGBA Excpt" on failure.
void displacement_bump_rgba(const std::uint8_t* mapRGBA, double strength, int background) noexcept;

// From an image-script texture tiled over a canvas-sized map from the
// top-left corner, or, when the low byte of randomOffset is 1, from a random
// offset (the engine's generator seeded from the time); the map's alpha is
// opaque. The displacement then runs as above with the strength itself. A
// script that is missing or does not render leaves the map black, which
// displaces nothing. Records "IPLDisplacementBumpISLFile Excpt" on failure.
void displacement_bump_isl_file(const char* islScriptPath, double strength, int randomOffset,
                                int background) noexcept;

}  // namespace mve::ipl
