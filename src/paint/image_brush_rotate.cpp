// Rotation of the sized image brush and the copy of the rotated brush into
// the blend buffer. The turn works on an RGBA32 copy: once on a picture made
// of the alpha channel alone and once on the colour picture, and the rotated
// alpha is put back into the rotated colour. Corners the turned square no
// longer covers become transparent black.
#include <algorithm>
#include <cstring>

#include "core/guard.h"
#include "core/pixel_convert.h"
#include "imagelib/channels.h"
#include "morvane/morvane.h"
#include "paint/brush_shape_picture.h"
#include "paint/image_brush.h"

namespace mve {

namespace {

// Makes the unrotated RGBA32 copy of the sized brush unless the cache holds
// it; the two buffers are reallocated only when the side changed or one is missing.
void prepare_rotation_cache(ImageBrushState& ib)
{
    const int n = ib.sizedSide;
    if (ib.rotationValid && ib.unrotated && ib.rotated && ib.rotationSide == n) return;
    const std::size_t bytes = static_cast<std::size_t>(n) * n * 4;
    if (!ib.unrotated || !ib.rotated || ib.rotationSide != n) {
        ib.rotationValid = false;
        ib.rotationSide = 0;
        ib.rotated.reset();
        require(ib.unrotated.allocate(bytes));
        require(ib.rotated.allocate(bytes));
        ib.rotationSide = n;
    }
    rgba64_to_rgba32(ib.sized.data(), ib.unrotated.data(), static_cast<std::size_t>(n) * n);
    ib.rotationValid = true;
}

}  // namespace

void rotate_image_brush(Engine& e, int degrees)
{
    ImageBrushState& ib = e.imageBrush;
    if (!ib.sized || ib.sizedSide < 1) return;
    prepare_rotation_cache(ib);
    const int n = ib.rotationSide, rowBytes = n * 4;
    // Effect 51 turns counter-clockwise for positive angles: 360 - a turns by a clockwise.
    const int angle = 360 - degrees;
    Plane8 alpha;
    require(alpha.allocate(static_cast<std::size_t>(n) * n));
    std::uint8_t* const alphaOnly[4] = {nullptr, nullptr, nullptr, alpha.data()};
    const std::uint8_t* const alphaEverywhere[4] = {alpha.data(), alpha.data(), alpha.data(), alpha.data()};
    const std::uint8_t* const alphaBack[4] = {nullptr, nullptr, nullptr, alpha.data()};

    // Alpha pass: the alpha plane turned on its own. Should the turn fail,
    // the plane keeps the unrotated alpha.
    il::split_image(ib.unrotated.data(), n, n, rowBytes, alphaOnly);
    il::combine_image_channels(alphaEverywhere, n, n, ib.rotated.data(), rowBytes);
    if (rotate_picture(ib.rotated.data(), n, n, angle)) il::split_image(ib.rotated.data(), n, n, rowBytes, alphaOnly);

    // Colour pass, then the turned alpha goes back in.
    std::memcpy(ib.rotated.data(), ib.unrotated.data(), ib.rotated.bytes());
    if (rotate_picture(ib.rotated.data(), n, n, angle))
        il::combine_image_channels(alphaBack, n, n, ib.rotated.data(), rowBytes);
}

void copy_rotated_image_brush_to_blend_buffer(Engine& e, int percent) noexcept
{
    const ImageBrushState& ib = e.imageBrush;
    const BlendBufferView buffer = image_brush_target(e);
    if (!ib.rotated || !ib.rotationValid || !buffer.pixels) return;
    const int n = ib.rotationSide, side = std::min(n, buffer.side);
    const std::int64_t r = image_brush_level(percent), b = 255 - r;
    for (int y = 0; y < side; ++y) {
        const std::uint8_t* c = ib.rotated.data() + static_cast<std::size_t>(y) * n * 4;
        std::uint16_t* q = buffer.pixels + static_cast<std::size_t>(y) * buffer.stride;
        for (int i = 0; i < side * 4; ++i) {
            if (r == 0) {
                q[i] = static_cast<std::uint16_t>(c[i] << 8);
                continue;
            }
            // (r * q) / 256 plus the 8-bit brush value weighted by 255 - r:
            // the same as (r * q + (c * 256) * b) >> 8.
            const std::int64_t v = ((r * q[i]) >> 8) + c[i] * b;
            q[i] = static_cast<std::uint16_t>(std::clamp<std::int64_t>(v, 0, 65535));
        }
    }
}

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API void MVE_RotateImageBrush(int degrees)
{
    guarded("RotateImageBrush Excpt", [&] { rotate_image_brush(engine(), degrees); });
}

MVE_API void MVE_CopyFromImageBrushRotate(int percent)
{
    copy_rotated_image_brush_to_blend_buffer(engine(), percent);
}

}  // extern "C"
