// Textures from image scripts: a script file rendered into an RGBA32
// picture, resized, and tiled over a larger picture. The background,
// texturize and displacement effects share these steps.
#pragma once

#include <cstdint>
#include <vector>

namespace mve::il {

struct Texture {
    std::vector<std::uint8_t> rgba;  // width * height pixels, R G B A
    int width = 0;
    int height = 0;
    bool empty() const noexcept { return rgba.empty(); }
};

// Renders the script file at `path` through the script session (load, buffers,
// header, execute) into RGBA order; empty when the file is missing, does not
// parse, exceeds the work bound or does not render. Starts and finishes its
// own session.
Texture render_script_texture(const char* path);

// The texture resized by `percent` (bicubic): each side round(side * percent
// / 100), at least 1 and at most 4096 pixels. 100 % (or an empty texture)
// returns it unchanged.
Texture resize_texture(const Texture& texture, double percent);

// Copies the texture over a width x height RGBA32 picture (rows width * 4
// bytes) again and again, the first copy's top-left corner at (x0, y0), which
// should lie in (-texture side, 0]; so pixel (x, y) takes texture pixel
// ((x - x0) mod tw, (y - y0) mod th). Nothing for an empty texture.
void tile_texture(const Texture& texture, int x0, int y0, std::uint8_t* rgba, int width, int height) noexcept;

}  // namespace mve::il
