// The source cache of brush-shape pictures, keyed by path and angle: the
// decoded (and rotated) picture stays until a build asks for another path or
// angle, MVE_UnloadBrushShape, or a canvas resize or deletion.
#include <cstring>

#include "core/guard.h"
#include "morvane/morvane.h"
#include "paint/brush_shape.h"
#include "paint/brush_shape_picture.h"

namespace mve {

void release_shape_cache(Engine& e) noexcept
{
    ShapeSourceCache& c = e.paint.shapeSource;
    c.pixels.reset();
    c.width = 0;
    c.height = 0;
    c.path.clear();
    c.angle = 0;
    c.rotated = false;
}

namespace {

// Loads path into the cache: the current builder tries it as an image script
// first; both read it as an image file otherwise.
bool load_source(ShapeSourceCache& c, const char* path, ShapeVariant variant)
{
    RgbaPicture picture;
    bool ok = variant == ShapeVariant::Current && render_script_file(path, picture) == ScriptLoad::Rendered;
    if (!ok) ok = read_image_file(path, picture);
    if (!ok) return false;
    c.pixels = std::move(picture.pixels);
    c.width = picture.width;
    c.height = picture.height;
    c.path = path;
    c.rotated = false;
    return true;
}

}  // namespace

bool ensure_shape_source(Engine& e, const char* path, int angle, ShapeVariant variant) noexcept
{
    ShapeSourceCache& c = e.paint.shapeSource;
    try {
        if (c.present() && (c.path != path || c.angle != angle || !c.rotated)) release_shape_cache(e);
        if (c.present()) return true;
        if (!load_source(c, path, variant)) {
            release_shape_cache(e);
            return false;
        }
        // A rotation that fails leaves the picture upright; it is then not
        // remembered as rotated, so the next build loads it again.
        if (rotate_picture(c.pixels.data(), c.width, c.height, angle)) {
            c.angle = angle;
            c.rotated = true;
        }
        return true;
    } catch (...) {
        release_shape_cache(e);
        return false;
    }
}

}  // namespace mve

extern "C" {

MVE_API void MVE_UnloadBrushShape(void)
{
    mve::guarded("MVE_UnloadBrushShape Excpt", [] { mve::release_shape_cache(mve::engine()); });
}

}  // extern "C"
