// Capture of the whole screen (the X root window of the default screen) as
// packed RGBA32 with every alpha 255.
#pragma once

#include <cstdint>
#include <vector>

namespace mve::platform {

struct ScreenPicture {
    std::vector<std::uint8_t> rgba;
    int width = 0;
    int height = 0;
};

enum class CaptureRoute { Any, PlainGetImage };

// False without a display (or without X11 support in this build) or when the
// server refuses the image. Shared memory (MIT-SHM) is used when the server
// offers it and `route` allows it; XGetImage otherwise.
bool capture_screen(ScreenPicture& out, CaptureRoute route = CaptureRoute::Any);

// Converts one row of an X image's pixels to RGBA32 (alpha 255) given the
// image's channel masks; bytesPerPixel 2, 3 or 4, little-endian pixel values.
void x_pixels_to_rgba(const std::uint8_t* in, int bytesPerPixel, int width, unsigned long redMask,
                      unsigned long greenMask, unsigned long blueMask, std::uint8_t* out) noexcept;

}  // namespace mve::platform
