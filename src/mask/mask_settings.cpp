// Mask settings (enable, display, mask-maker mode, display tint) and the
// operations on the whole Mask: invert, fill, raw copies and the point query.
#include <cstring>

#include "core/guard.h"
#include "core/parallel.h"
#include "core/transfer.h"
#include "engine/engine.h"
#include "mask/mask_ops.h"
#include "morvane/morvane.h"

namespace mve::mask {

void on_canvas_created(Engine& e)
{
    const std::size_t pixels = static_cast<std::size_t>(e.canvas.width) * e.canvas.height;
    require(e.mask.plane.allocate(pixels));
    std::memset(e.mask.plane.data(), 0xFF, e.mask.plane.bytes());
    e.mask.strideBytes = e.canvas.width * 2;
    e.mask.enabled = 1;
}

void on_canvas_released(Engine& e) noexcept
{
    e.mask.plane.reset();
}

}  // namespace mve::mask

using namespace mve;

extern "C" {

MVE_API int MVE_EnableMask(int flag)
{
    engine().mask.enabled = static_cast<std::uint8_t>(flag);
    return flag;
}

MVE_API int MVE_DisplayMask(int flag)
{
    engine().mask.displayed = static_cast<std::uint8_t>(flag);
    return flag;
}

MVE_API void MVE_SetMaskMakerOn(void) { engine().mask.makerOn = 1; }

// The six tint channels arrive as 8-bit values and are kept on the 16-bit
// scale the renderer multiplies with; the strength flag is kept as given.
MVE_API void MVE_SetMaskOptions(int r1, int g1, int b1, int r2, int g2, int b2, int strengthFlag)
{
    MaskState& m = engine().mask;
    const int channels[6] = {r1, g1, b1, r2, g2, b2};
    for (int i = 0; i < 6; ++i)
        m.tint[i] = static_cast<int>((static_cast<unsigned>(channels[i]) & 0xFFFFFFu) << 8);
    m.strengthFlag = strengthFlag;
}

// m = 65535 - m.
MVE_API void MVE_InvertMask(void)
{
    const MaskPlane p = mask_plane(engine());
    if (!p) return;
    for_each_plane_row(p.width, p.height, cost::kCopy, [&](int y) {
        std::uint16_t* m = p.row(y);
        for (int x = 0; x < p.width; ++x) m[x] = static_cast<std::uint16_t>(65535 - m[x]);
    });
}

// One value everywhere, from the grey (r + g + b) / 3 of 16-bit channels.
MVE_API void MVE_ClearMask(int r, int g, int b)
{
    const MaskPlane p = mask_plane(engine());
    if (!p) return;
    const long grey = (static_cast<long>(r) + g + b) / 3;
    const std::uint16_t v = grey < 0 ? 65535 : mask_from_grey16(static_cast<std::uint32_t>(grey));
    for_each_plane_row(p.width, p.height, cost::kCopy, [&](int y) {
        std::uint16_t* m = p.row(y);
        for (int x = 0; x < p.width; ++x) m[x] = v;
    });
}

MVE_API void MVE_GetMaskData16(unsigned short* buffer)
{
    const MaskPlane p = mask_plane(engine());
    if (p && buffer) std::memcpy(buffer, p.data, p.count() * sizeof(std::uint16_t));
}

MVE_API void MVE_SetMaskData16(const unsigned short* buffer)
{
    const MaskPlane p = mask_plane(engine());
    if (p && buffer) std::memcpy(p.data, buffer, p.count() * sizeof(std::uint16_t));
}

// How much of a write is blocked at (x, y): 65535 - m, or 0 when there is no
// current layer, the Mask is disabled or the point lies outside the canvas.
MVE_API int MVE_GetMask64(int x, int y)
{
    Engine& e = engine();
    const MaskPlane p = mask_plane(e);
    if (!p || !current_layer(e) || !e.mask.enabled) return 0;
    if (x < 0 || y < 0 || x >= p.width || y >= p.height) return 0;
    return 65535 - p.row(y)[x];
}

}  // extern "C"
