// Pictures that brush shapes and grit patterns are made from: image-script
// files rendered by the image-script module and image files decoded by the
// image library, both delivered as packed RGBA32.
#pragma once

#include <cstdint>

#include "core/memory.h"

namespace mve {

struct RgbaPicture {
    Plane8 pixels;  // width * height * 4 bytes, packed rows
    int width = 0;
    int height = 0;
    bool present() const noexcept { return pixels && width > 0 && height > 0; }
};

enum class ScriptLoad {
    NotAScript,  // the file could not be loaded as an image script
    Failed,      // it loaded, but the picture could not be made
    Rendered,    // `out` holds the picture
};

// Renders an image-script file into `out` (RGBA order): initialise, load,
// prepare, read the header, allocate, execute, swap red and blue, finish.
ScriptLoad render_script_file(const char* path, RgbaPicture& out) noexcept;

// Decodes an image file into `out` through the image library. False when it
// cannot be opened or read, when its header claims a picture wider than
// maxWidth or taller than maxHeight (checked before decoding), or the copy
// cannot be allocated.
constexpr long long kAnySize = 1LL << 40;
bool read_image_file(const char* path, RgbaPicture& out, long long maxWidth = kAnySize,
                     long long maxHeight = kAnySize) noexcept;

// Rotates the picture in place about its centre by `degrees`, keeping its
// size (image-script effect 51 at 100 %). False when the rotation failed.
bool rotate_picture(std::uint8_t* rgba, int width, int height, int degrees) noexcept;

// 8-bit grey of RGBA32 pixels: (299 R + 587 G + 114 B) / 1000, rounded.
void gray8_from_rgba(const std::uint8_t* rgba, int width, int height, int rowBytes, std::uint8_t* grey,
                     int greyRowBytes) noexcept;

// Number of times a picture file was asked for (script or image) since
// start-up: tests check with it that a call opened no file.
long picture_file_requests() noexcept;

}  // namespace mve
