// Mask settings (enable, display, mask-maker mode, display tint) and the
// operations on the whole Mask: invert, fill, raw copies and the point query.
#include "mask/mask_settings.h"

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
    std::memset(e.mask.plane.begin_write(), 0xFF, e.mask.plane.bytes());
    e.mask.strideBytes = e.canvas.width * 2;
    e.mask.enabled = 1;
}

void on_canvas_released(Engine& e) noexcept
{
    e.mask.plane.reset();
}

// The six tint channels arrive as 8-bit values and are kept on the 16-bit
// scale the renderer multiplies with; the strength flag is kept as given.
void set_options(MaskState& m, int r1, int g1, int b1, int r2, int g2, int b2, int strengthFlag) noexcept
{
    const int channels[6] = {r1, g1, b1, r2, g2, b2};
    for (int i = 0; i < 6; ++i)
        m.tint[i] = static_cast<int>((static_cast<unsigned>(channels[i]) & 0xFFFFFFu) << 8);
    m.strengthFlag = strengthFlag;
}

void invert(Engine& e)
{
    const MaskPlane p = mask_plane(e);
    if (!p) return;
    for_each_plane_row(p.width, p.height, cost::kCopy, [&](int y) {
        std::uint16_t* m = p.row(y);
        for (int x = 0; x < p.width; ++x) m[x] = static_cast<std::uint16_t>(65535 - m[x]);
    });
}

void clear(Engine& e, int r, int g, int b)
{
    const MaskPlane p = mask_plane(e);
    if (!p) return;
    const long grey = (static_cast<long>(r) + g + b) / 3;
    const std::uint16_t v = grey < 0 ? 65535 : mask_from_grey16(static_cast<std::uint32_t>(grey));
    for_each_plane_row(p.width, p.height, cost::kCopy, [&](int y) {
        std::uint16_t* m = p.row(y);
        for (int x = 0; x < p.width; ++x) m[x] = v;
    });
}

void get_data16(Engine& e, std::uint16_t* buffer) noexcept
{
    const MaskPlane p = mask_plane(e);
    if (p && buffer) std::memcpy(buffer, p.data, p.count() * sizeof(std::uint16_t));
}

void set_data16(Engine& e, const std::uint16_t* buffer) noexcept
{
    const MaskPlane p = mask_plane(e);
    if (p && buffer) std::memcpy(p.data, buffer, p.count() * sizeof(std::uint16_t));
}

int blocked_at(Engine& e, int x, int y) noexcept
{
    const MaskPlane p = mask_plane(e);
    if (!p || !current_layer(e) || !e.mask.enabled) return 0;
    if (x < 0 || y < 0 || x >= p.width || y >= p.height) return 0;
    return 65535 - p.row(y)[x];
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

MVE_API void MVE_SetMaskOptions(int r1, int g1, int b1, int r2, int g2, int b2, int strengthFlag)
{
    mask::set_options(engine().mask, r1, g1, b1, r2, g2, b2, strengthFlag);
}

// m = 65535 - m.
MVE_API void MVE_InvertMask(void)
{
    mask::invert(engine());
}

// One value everywhere, from the grey (r + g + b) / 3 of 16-bit channels.
MVE_API void MVE_ClearMask(int r, int g, int b)
{
    mask::clear(engine(), r, g, b);
}

MVE_API void MVE_GetMaskData16(unsigned short* buffer)
{
    mask::get_data16(engine(), buffer);
}

MVE_API void MVE_SetMaskData16(const unsigned short* buffer)
{
    mask::set_data16(engine(), buffer);
}

MVE_API int MVE_GetMask64(int x, int y)
{
    return mask::blocked_at(engine(), x, y);
}

}  // extern "C"
