// Combining the Mask with a canvas-sized RGB24 grey picture.
#include "mask/mask_combine.h"

#include <algorithm>
#include <cstring>

#include "core/clip.h"
#include "core/parallel.h"
#include "mask/mask_ops.h"
#include "morvane/morvane.h"

using namespace mve;

namespace {

enum class Combine { Add, Subtract, Replace };

// Exact names; anything else (a null text included) adds.
Combine combine_mode(const char* mode) noexcept
{
    if (mode && std::strcmp(mode, "Subtract") == 0) return Combine::Subtract;
    if (mode && std::strcmp(mode, "Replace") == 0) return Combine::Replace;
    return Combine::Add;
}

// d = v * 256 for a grey v of the picture (or the level in threshold mode).
// Add:      m - d, or 0 when d > m     (more of the canvas is blocked)
// Subtract: min(m + d, 65535)
// Replace:  65280 - d
// A level outside 0..255 would leave the 16-bit range; results are clamped.
inline std::uint16_t combine_value(Combine mode, long m, long d) noexcept
{
    long r;
    switch (mode) {
    case Combine::Subtract: r = m + d; break;
    case Combine::Replace: r = 65280 - d; break;
    default: r = d > m ? 0 : m - d; break;
    }
    return static_cast<std::uint16_t>(std::clamp(r, 0L, 65535L));
}

}  // namespace

namespace mve::mask {

// v = (r + g + b) / 3 per pixel; with threshold 1, v becomes `level` where
// it is 0 and 0 elsewhere.
void combine(Engine& e, const unsigned char* buffer, int rowBytes, int threshold, int level, const char* mode)
{
    const MaskPlane p = mask_plane(e);
    if (!p || !buffer || !stride_holds(rowBytes, p.width, 3)) return;
    const Combine how = combine_mode(mode);
    for_each_plane_row(p.width, p.height, cost::kSimple, [&](int y) {
        const std::uint8_t* s = buffer + static_cast<std::ptrdiff_t>(y) * rowBytes;
        std::uint16_t* m = p.row(y);
        for (int x = 0; x < p.width; ++x, s += 3) {
            long v = (s[0] + s[1] + s[2]) / 3;
            if (threshold == 1) v = v == 0 ? level : 0;
            if (v == 0) continue;
            m[x] = combine_value(how, m[x], v * 256);
        }
    });
}

}  // namespace mve::mask

extern "C" {

MVE_API void MVE_CombineMask(const unsigned char* buffer, int rowBytes, int threshold, int level,
                             const char* mode)
{
    mask::combine(engine(), buffer, rowBytes, threshold, level, mode);
}

}  // extern "C"
