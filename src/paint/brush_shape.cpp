// Brush-shape builder. Fixed-point contract: shape values are 16-bit
// coverage, 65535 = full; a picture shape is its 8-bit grey << 8 (so white
// gives 65280) times the shape intensity, truncated; a round brush value is
// 65535 times its falloff and the intensity, rounded to nearest. Values are
// clamped to 0..65535 (an intensity above 1 would otherwise wrap).
#include "paint/brush_shape.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/guard.h"
#include "imagelib/resampling.h"
#include "ipl/effect_runner.h"
#include "morvane/morvane.h"
#include "paint/brush_shape_picture.h"

namespace mve {

namespace {

std::uint16_t clamp16(double v)
{
    return static_cast<std::uint16_t>(std::clamp(v, 0.0, 65535.0));
}

// Side of the square a build writes: the full size, kept within the M x M
// shape when the host exceeded the maximum brush size.
int shape_side(const Engine& e) { return std::clamp(e.brush.fullSize, 0, e.canvas.maxBrushSize); }

// Resamples the cached source to n x n RGBA32 as the variant prescribes.
bool resample_source(const Engine& e, const ShapeSourceCache& c, int n, std::uint8_t* out, ShapeVariant variant)
{
    const int w = c.width, h = c.height;
    if (variant == ShapeVariant::Original) {
        const int code = (w < 5 || h < 5 || n < 5) ? il::kFilterBicubic : il::kFilterLanczos3;
        return il::resize_image(c.pixels.data(), w, h, w * 4, out, n, n, n * 4, 4, code, 0) != 0;
    }
    const int blur = e.brush.shapeBlur;
    if (blur < 1) {
        const int code = n < w ? il::kFilterAreaAverage : il::kFilterLanczos3;
        return il::resize_image(c.pixels.data(), w, h, w * 4, out, n, n, n * 4, 4, code, 0) != 0;
    }
    // Blurred: "Value Blur" from the source into a copy, both directions with
    // the amount (100 - blur) * 10 (0..1000 = weights 0..1, where a smaller
    // weight lets values spread further), then the plain resamplers.
    Plane8 copy;
    if (!copy.allocate(c.pixels.size())) return false;
    std::memcpy(copy.data(), c.pixels.data(), c.pixels.bytes());
    ipl::EffectArgs args;
    args.p[0] = args.p[1] = (100 - blur) * 10;
    std::uint8_t* src = const_cast<std::uint8_t*>(c.pixels.data());  // read only: chain 0 reads the source
    ipl::run_named_effect_on("Value Blur", src, copy.data(), w, h, 0, args);
    if (n < w) return il::decimate_image(copy.data(), w, h, w * 4, out, n, n, n * 4, 4, 1) != 0;
    return il::resize_image_default(copy.data(), w, h, w * 4, out, n, n, n * 4, 4) != 0;
}

// Steps of a picture shape after the source is cached. True when the shape
// was built from it.
bool build_from_source(Engine& e, int n, ShapeVariant variant)
{
    Plane8 rgba, grey;
    if (!rgba.allocate(static_cast<std::size_t>(n) * n * 4) || !grey.allocate(static_cast<std::size_t>(n) * n))
        return false;
    bool built = false;
    if (resample_source(e, e.paint.shapeSource, n, rgba.data(), variant)) {
        gray8_from_rgba(rgba.data(), n, n, n * 4, grey.data(), n);
        const int m = e.canvas.maxBrushSize;
        const float intensity = e.brush.shapeIntensity;
        std::uint16_t* shape = e.paint.brushShape.data();
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                // trunc((grey << 8) * intensity)
                const float v = static_cast<float>(grey[static_cast<std::size_t>(y) * n + x] << 8) * intensity;
                shape[static_cast<std::size_t>(y) * m + x] = clamp16(std::trunc(v));
            }
        built = true;
    }
    // A new picture starts a new grit run, also when resampling failed.
    e.paint.gritCountdown = e.brush.drawingLength;
    return built;
}

bool try_picture_shape(Engine& e, const char* path, int angle, ShapeVariant variant) noexcept
{
    const int n = shape_side(e);
    if (n < 1) return false;
    try {
        return ensure_shape_source(e, path, angle, variant) && build_from_source(e, n, variant);
    } catch (...) {
        return false;  // temporary buffers are freed on the way out; the round brush follows
    }
}

}  // namespace

void build_round_brush(std::uint16_t* shape, int stride, int n, std::uint8_t softness, float intensity,
                       bool invert, ShapeVariant variant) noexcept
{
    const float r = n * 0.5f;
    const float f = softness / 255.0f * r;  // width of the soft rim
    const bool original = variant == ShapeVariant::Original;
    // The current builder truncates the inner radius; the original keeps it real.
    const double inner = original ? static_cast<double>(r - f) : std::trunc(r - f);
    const double c = original ? static_cast<double>(n / 2) : std::trunc(n * 0.5);
    const double half = original ? 0.0 : 0.5;  // pixel centres, or integer offsets
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const double dx = j + half - c, dy = i + half - c;
            const double d = std::sqrt(dx * dx + dy * dy);
            if (d > r) continue;  // stays 0
            double v = 65535.0;
            if (softness != 0 && d > inner) v = std::clamp((f - (d - inner)) / f * 65535.0, 0.0, 65535.0);
            if (invert) v = std::fabs(v - 65535.0);
            shape[static_cast<std::size_t>(i) * stride + j] = clamp16(std::round(v * intensity));
        }
}

void build_brush_shape(Engine& e, const char* path, int angle, ShapeVariant variant)
{
    Plane16& shape = e.paint.brushShape;
    if (!shape) return;
    std::memset(shape.data(), 0, shape.bytes());
    if (path && std::strlen(path) > 1 && try_picture_shape(e, path, angle, variant)) return;
    const BrushSettings& b = e.brush;
    build_round_brush(shape.data(), e.canvas.maxBrushSize, shape_side(e), b.softness, b.shapeIntensity,
                      b.shapeOption != 0, variant);
}

void paint::set_brush_shape(Engine& e, const char* path, int angle) noexcept
{
    guarded("SetBrushShape Excpt", [&] { build_brush_shape(e, path, angle, ShapeVariant::Current); });
}

int paint::get_brush_shape16(const PaintResources& p, unsigned short* out) noexcept
{
    const Plane16& shape = p.brushShape;
    if (!out || !shape) return 0;
    std::memcpy(out, shape.data(), shape.bytes());
    return static_cast<int>(shape.size());
}

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API void MVE_SetBrushShape(const char* path, int angle)
{
    paint::set_brush_shape(engine(), path, angle);
}

MVE_API void MVE_SetBrushShape_ORIGINAL(const char* path, int angle)
{
    guarded("SetBrushShape Excpt", [&] { build_brush_shape(engine(), path, angle, ShapeVariant::Original); });
}

MVE_API int MVE_GetBrushShape16(unsigned short* out)
{
    return paint::get_brush_shape16(engine().paint, out);
}

}  // extern "C"
