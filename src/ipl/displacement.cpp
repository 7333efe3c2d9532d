// The two bump-map displacements of the processing buffers: from a host map
// and from an image-script texture tiled over the canvas.
#include "ipl/displacement.h"

#include <ctime>
#include <vector>

#include "core/guard.h"
#include "core/random.h"
#include "core/transfer.h"
#include "imagelib/displacement.h"
#include "imagelib/script_texture.h"
#include "imagelib/transforms.h"
#include "ipl/processing_buffers.h"
#include "morvane/morvane.h"

namespace mve::ipl {

namespace {

// Grey of the canvas-sized RGBA32 map, one bump transform, Src32 -> Dst32
// with the edge repeated, then Dst32 un-premultiplied into the current layer.
void displace_by_map(Engine& e, const std::uint8_t* map, float strength, int background)
{
    std::uint8_t* src = canvas_rgba32(e, e.ipl.src32);
    std::uint8_t* dst = canvas_rgba32(e, e.ipl.dst32.write());
    if (!src || !dst || !map) return;
    const int W = e.canvas.width, H = e.canvas.height;
    std::vector<std::uint8_t> grey(static_cast<std::size_t>(W) * H);
    require(il::image_to_grey8(map, W, H, 4, W * 4, grey.data(), W, 0) != 0);
    il::clear_all_transforms();
    if (!il::add_bump_map_displacement_transform(W, H, strength, grey.data(), W, H)) return;
    const int ok =
        il::transform_process(src, W, H, 4, W * 4, dst, W * 4, 2, static_cast<std::uint32_t>(background), 0);
    il::clear_all_transforms();
    if (!ok) return;
    core::unpremultiply_rgba32(dst, W, H);
    core::load_rgba32_into_current(e, dst, W * 4, true);
}

// Tiles the texture over the W x H map from (0, 0), or from a random offset
// when the low byte of randomOffset is 1; nothing for an empty texture.
void tile_over_map(const il::Texture& texture, int randomOffset, std::uint8_t* map, int W, int H)
{
    if (texture.empty()) return;
    int x0 = 0, y0 = 0;
    if ((randomOffset & 0xFF) == 1) {
        crt_srand(static_cast<std::uint32_t>(std::time(nullptr)));
        const int r1 = crt_rand(), r2 = crt_rand();
        x0 = -(r1 % texture.width);
        y0 = -(r2 % texture.height);
    }
    il::tile_texture(texture, x0, y0, map, W, H);
}

}  // namespace

void displacement_bump_rgba(const std::uint8_t* mapRGBA, double strength, int background) noexcept
{
    guarded("IPLDisplacementBumpRGBA Excpt",
            [&] { displace_by_map(engine(), mapRGBA, static_cast<float>(strength * 5), background); });
}

void displacement_bump_isl_file(const char* islScriptPath, double strength, int randomOffset,
                                int background) noexcept
{
    guarded("IPLDisplacementBumpISLFile Excpt", [&] {
        Engine& e = engine();
        if (!canvas_rgba32(e, e.ipl.src32) || !canvas_rgba32(e, e.ipl.dst32.write())) return;
        const int W = e.canvas.width, H = e.canvas.height;
        std::vector<std::uint8_t> map(canvas_bytes(e, 4), 0);
        tile_over_map(il::render_script_texture(islScriptPath), randomOffset, map.data(), W, H);
        for (std::size_t i = 3; i < map.size(); i += 4) map[i] = 255;
        displace_by_map(e, map.data(), static_cast<float>(strength), background);
    });
}

}  // namespace mve::ipl

using namespace mve;

extern "C" {

MVE_API void MVE_IPLDisplacementBumpRGBA(const unsigned char* mapRGBA, double strength, int background)
{
    ipl::displacement_bump_rgba(mapRGBA, strength, background);
}

MVE_API void MVE_IPLDisplacementBumpISLFile(const char* islScriptPath, double strength, int randomOffset,
                                            int background)
{
    ipl::displacement_bump_isl_file(islScriptPath, strength, randomOffset, background);
}

}  // extern "C"
