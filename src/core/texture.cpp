#include "core/texture.h"

#include "core/core_state.h"
#include "core/guard.h"
#include "core/parallel.h"
#include "morvane/morvane.h"

namespace mve {

int create_texture(CoreState& e, int index)
{
    const int w = e.canvas.width, h = e.canvas.height;
    const std::size_t count = static_cast<std::size_t>(w) * h;
    if (!e.texture.plane && !e.texture.plane.allocate(count)) throw Failure{};
    if (!valid_layer_index(index)) return w;
    const LayerRecord& layer = e.layers.table[index];
    if (!layer.present() || layer.width < w || layer.height < h) return w;
    std::uint8_t* out = e.texture.plane.data();
    for_each_plane_row(w, h, cost::kSimple, [&](int y) {
        const std::uint16_t* p = layer.row(y);
        std::uint8_t* t = out + static_cast<std::size_t>(y) * w;
        for (int x = 0; x < w; ++x, p += 4) t[x] = texture_value(p[0], p[1], p[2]);
    });
    return w;
}

void delete_texture(CoreState& e) noexcept
{
    e.texture.plane.reset();
}

}  // namespace mve

extern "C" {

MVE_API int MVE_CreateTexture(int index)
{
    return mve::guarded("CreateTexture Excpt", 0,
                        [index] { return mve::create_texture(mve::core_state(), index); });
}

MVE_API void MVE_DeleteTexture(void)
{
    mve::delete_texture(mve::core_state());
}

}  // extern "C"
