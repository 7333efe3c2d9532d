#include "paint/brush_shape_picture.h"

#include <cstring>

#include "engine/engine.h"
#include "imagelib/image_script.h"
#include "imagelib/library.h"
#include "imagelib/reading.h"
#include "imagelib/sources.h"

namespace mve {

long picture_file_requests() noexcept
{
    return engine().paint.pictureFileRequests;
}

ScriptLoad render_script_file(const char* path, RgbaPicture& out) noexcept
{
    ++engine().paint.pictureFileRequests;
    if (!il::isl_initialize()) return ScriptLoad::NotAScript;
    ScriptLoad result = ScriptLoad::NotAScript;
    if (il::isl_load_script_from_file(path)) {
        result = ScriptLoad::Failed;
        il::IslHeader header;
        if (il::isl_init_buffers() && il::isl_read_script_header_from_file(path, &header)) {
            const int w = header.width, h = header.height;
            if (out.pixels.allocate(static_cast<std::size_t>(w) * h * 4) &&
                il::isl_execute_script(out.pixels.data(), w, h) &&
                il::swap_red_blue(out.pixels.data(), w, h, w * 4)) {
                out.width = w;
                out.height = h;
                result = ScriptLoad::Rendered;
            }
        }
        if (result != ScriptLoad::Rendered) out = RgbaPicture{};
    }
    il::isl_finish();
    return result;
}

bool read_image_file(const char* path, RgbaPicture& out, long long maxWidth, long long maxHeight) noexcept
{
    ++engine().paint.pictureFileRequests;
    il::ImageSource* source = il::open_file_source(path);
    if (!source) return false;
    int w = 0, h = 0;
    std::uint8_t* block = nullptr;
    {
        const il::DecodeBound bound(maxWidth, maxHeight);
        block = il::read_image_to_rgba(source, &w, &h);
    }
    il::close_source(source);
    if (!block) return false;
    bool ok = w > 0 && h > 0 && out.pixels.allocate(static_cast<std::size_t>(w) * h * 4);
    if (ok) {
        std::memcpy(out.pixels.data(), block, out.pixels.bytes());
        out.width = w;
        out.height = h;
    } else {
        out = RgbaPicture{};
    }
    il::release_block(block);
    return ok;
}

bool rotate_picture(std::uint8_t* rgba, int width, int height, int degrees) noexcept
{
    if (!il::isl_initialize()) return false;
    const bool ok = il::isl_add_effect(il::kIslRotateEffect, 1) && il::isl_set_effect_value(0, 3, degrees) &&
                    il::isl_set_effect_value(0, 4, 100) && il::isl_execute_script_on_image(rgba, width, height);
    il::isl_finish();
    return ok;
}

void gray8_from_rgba(const std::uint8_t* rgba, int width, int height, int rowBytes, std::uint8_t* grey,
                     int greyRowBytes) noexcept
{
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* p = rgba + static_cast<std::size_t>(y) * rowBytes;
        std::uint8_t* g = grey + static_cast<std::size_t>(y) * greyRowBytes;
        for (int x = 0; x < width; ++x, p += 4)
            g[x] = static_cast<std::uint8_t>((p[0] * 299 + p[1] * 587 + p[2] * 114 + 500) / 1000);
    }
}

}  // namespace mve
