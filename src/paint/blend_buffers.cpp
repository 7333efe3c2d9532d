#include "paint/blend_buffers.h"

#include <algorithm>
#include <cstring>

#include "core/guard.h"
#include "morvane/morvane.h"

namespace mve {

void set_blend_buffer_count(Engine& e, int count)
{
    BlendBufferState& blend = e.blend;
    count = std::min(count, kBlendBufferCount);
    if (count != blend.count) {
        for (auto& record : blend.records) record = BlendBuffer{};
        blend.count = 0;
        const int m = e.canvas.maxBrushSize;
        const std::size_t values = static_cast<std::size_t>(std::max(m, 0)) * std::max(m, 0) * 4;
        for (int i = 0; i < count; ++i) {
            BlendBuffer& record = blend.records[i];
            require(record.pixels.allocate(values));
            std::memset(record.pixels.data(), 0, record.pixels.bytes());
            record.stride = m * 4;
        }
        blend.count = std::max(count, 0);
    }
    blend.current = 0;
}

}  // namespace mve

extern "C" {

MVE_API int MVE_SetBlendBufferCount(int count)
{
    return mve::guarded("SetBlendBufferCount Excpt", 0, [count] {
        mve::set_blend_buffer_count(mve::engine(), count);
        return mve::engine().blend.count;
    });
}

}  // extern "C"
