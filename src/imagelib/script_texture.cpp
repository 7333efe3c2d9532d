// Image-script textures: rendering, resizing and tiling.
#include "imagelib/script_texture.h"

#include <algorithm>
#include <cmath>

#include "imagelib/block_copy.h"
#include "imagelib/image_script.h"
#include "imagelib/resampling.h"

namespace mve::il {

namespace {

// One script session, finished however the render ends.
struct Session {
    Session() { isl_initialize(); }
    ~Session() { isl_finish(); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
};

}  // namespace

Texture render_script_texture(const char* path)
{
    Texture t;
    Session session;
    IslHeader header;
    if (!path || !isl_load_script_from_file(path) || !isl_init_buffers() ||
        !isl_read_script_header_from_file(path, &header) || header.width <= 0 || header.height <= 0)
        return t;
    t.width = header.width;
    t.height = header.height;
    t.rgba.assign(static_cast<std::size_t>(t.width) * t.height * 4, 0);
    if (isl_execute_script(t.rgba.data(), t.width, t.height))
        swap_red_blue(t.rgba.data(), t.width, t.height, t.width * 4);
    else
        t = Texture{};
    return t;
}

Texture resize_texture(const Texture& texture, double percent)
{
    if (texture.empty() || !(percent > 0) || percent == 100) return texture;
    auto side = [&](int s) {
        return static_cast<int>(
            std::clamp(std::lround(s * percent / 100.0), 1L, static_cast<long>(kIslMaxSide)));
    };
    Texture out;
    out.width = side(texture.width);
    out.height = side(texture.height);
    if (out.width == texture.width && out.height == texture.height) return texture;
    out.rgba.assign(static_cast<std::size_t>(out.width) * out.height * 4, 0);
    if (!resize_image_default(texture.rgba.data(), texture.width, texture.height, texture.width * 4,
                              out.rgba.data(), out.width, out.height, out.width * 4, 4))
        return Texture{};
    return out;
}

void tile_texture(const Texture& texture, int x0, int y0, std::uint8_t* rgba, int width, int height) noexcept
{
    if (texture.empty() || !rgba) return;
    const int tw = texture.width, th = texture.height;
    for (int y = y0; y < height; y += th)
        for (int x = x0; x < width; x += tw)
            overlay_image(rgba, width, height, 4, width * 4, texture.rgba.data(), tw, th, tw * 4, x, y, 1.0,
                          0);
}

}  // namespace mve::il
