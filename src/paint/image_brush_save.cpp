// Saving the source image brush as an RGBA PNG (8 bits per channel, the
// high byte of each 16-bit value) at 2834 pixels per metre, about 72 dpi.
#include "core/guard.h"
#include "core/pixel_convert.h"
#include "imagelib/sources.h"
#include "imagelib/writing.h"
#include "morvane/morvane.h"
#include "paint/image_brush.h"

namespace mve {

namespace {

constexpr int kPngColourRgba = 6;
constexpr int kPngPixelsPerMetre = 2834;
constexpr int kPngUnitMetre = 1;

}  // namespace

void save_image_brush(Engine& e, const char* path)
{
    const ImageBrushState& ib = e.imageBrush;
    if (!ib.source || !path) return;
    il::ImageDest* dest = il::open_file_dest(path, 0);
    if (!dest) return;
    const int w = ib.sourceWidth, h = ib.sourceHeight;
    Plane8 rgba;
    // The destination is closed in every case, also when the copy cannot be made.
    const bool ok = rgba.allocate(static_cast<std::size_t>(w) * h * 4);
    if (ok) {
        rgba64_to_rgba32(ib.source.data(), rgba.data(), static_cast<std::size_t>(w) * h);
        il::write_png(dest, rgba.data(), w, h, w * 4, 8, kPngColourRgba, kPngPixelsPerMetre, kPngPixelsPerMetre,
                      kPngUnitMetre);
    }
    il::close_dest(dest);
    require(ok);
}

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API void MVE_SaveImageBrush(const char* path)
{
    guarded("SaveImageBrush Excpt", [&] { save_image_brush(engine(), path); });
}

}  // extern "C"
