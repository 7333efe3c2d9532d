// Pasting the clipboard: into the staging image, onto the current layer at a
// point, and the shaped paste (scaled so the longer side is `size`, turned by
// hundredths of a degree, merged with an opacity into the layer or the
// PaintLayer) with its cache; and the paste stretched to a given size.
#include <cstring>

#include "core/guard.h"
#include "exchange/clipboard.h"
#include "exchange/exchange.h"
#include "morvane/morvane.h"

namespace mve::exchange {

namespace {

bool cache_matches(const PasteCache& c, int size, int angle, int smooth) noexcept
{
    return c.pixels && c.size == size && c.angle == angle && c.smooth == smooth;
}

void store_in_cache(PasteCache& c, const ClipPicture& p, int size, int angle, int smooth)
{
    guarded("x_PutClipEX2Cache Excpt", [&] {
        c.pixels.reset();
        require(c.pixels.allocate(p.rgba.size()));
        std::memcpy(c.pixels.data(), p.data(), p.rgba.size());
        c.width = p.width, c.height = p.height;
        c.size = size, c.angle = angle, c.smooth = smooth;
    });
}

// The cached picture through a new staging image, as a fresh read would come.
ClipPicture restore_from_cache(Engine& e, const PasteCache& c)
{
    ClipPicture p;
    guarded("x_GetClipEX2Cache Excpt", [&] {
        require(stage_rgba32(e.exchange.staging, c.pixels.data(), c.width, c.height));
        p = staged_picture(e.exchange.staging);
    });
    return p;
}

}  // namespace

void clear_paste_cache(PasteCache& c) noexcept
{
    c = PasteCache{};
}

bool paste_into_current(Engine& e, int x, int y, bool centred)
{
    if (!stage_clipboard(e)) return false;
    const ClipPicture p = staged_picture(e.exchange.staging);
    if (centred) x -= p.width / 2, y -= p.height / 2;
    const bool done = overlay_into_current(e, p, x, y);
    delete_staging(e.exchange.staging);
    return done;
}

bool paste_shaped(Engine& e, const ShapedPaste& a)
{
    PasteCache& cache = e.exchange.pasteCache;
    ClipPicture p;
    if (cache_matches(cache, a.size, a.angle, a.smooth)) {
        p = restore_from_cache(e, cache);
    } else {
        if (!stage_clipboard(e)) return false;
        p = staged_picture(e.exchange.staging);
        p = scale_longer_side(p, a.size, a.smooth != 0);
        p = rotate_hundredths(p, a.angle, a.smooth != 0);
        store_in_cache(cache, p, a.size, a.angle, a.smooth);
    }
    if (p.empty()) return false;
    int x = a.x, y = a.y;
    if (a.centred) x -= p.width / 2, y -= p.height / 2;
    merge_picture(e, std::move(p), x, y, a.opacity, a.toPaintLayer, a.maskAndTexture);
    delete_staging(e.exchange.staging);
    return true;
}

bool paste_stretched(Engine& e, int x, int y, int w, int h, const ShapedPaste& a)
{
    if (!stage_clipboard(e)) return false;
    ClipPicture p = resample_to(staged_picture(e.exchange.staging), w, h, a.smooth != 0);
    merge_picture(e, std::move(p), x, y, a.opacity, a.toPaintLayer, a.maskAndTexture);
    delete_staging(e.exchange.staging);
    return true;
}

}  // namespace mve::exchange

using mve::guarded;
namespace ex = mve::exchange;

extern "C" {

MVE_API int MVE_FromClipboard(void)
{
    return guarded("FromClipBoard Excpt", 0, [] { return ex::stage_clipboard(mve::engine()) ? 1 : 0; });
}

MVE_API int MVE_FromClipboardInto(int x, int y, int centred)
{
    return guarded("FromClipBoardInto Excpt", 0,
                   [&] { return ex::paste_into_current(mve::engine(), x, y, centred == 1) ? 1 : 0; });
}

MVE_API int MVE_FromClipboardIntoEX2(int x, int y, int size, int angle, int centred, int smooth, int opacity,
                                     int toPaintLayer, int maskAndTexture)
{
    return guarded("FromClipBoardIntoEX Excpt", 0, [&] {
        const ex::ShapedPaste a{
            x, y, size, angle, centred == 1, smooth, opacity, toPaintLayer != 0, maskAndTexture != 0};
        return ex::paste_shaped(mve::engine(), a) ? 1 : 0;
    });
}

MVE_API int MVE_FromClipboardWarpSize(int x, int y, int w, int h, int smooth, int opacity, int toPaintLayer,
                                      int maskAndTexture)
{
    return guarded("FromClipBoardWarpSize Excpt", 0, [&] {
        const ex::ShapedPaste a{x, y, 0, 0, false, smooth, opacity, toPaintLayer != 0, maskAndTexture != 0};
        return ex::paste_stretched(mve::engine(), x, y, w, h, a) ? 1 : 0;
    });
}

MVE_API void MVE_ClearClipEX2Cache(void)
{
    ex::clear_paste_cache(ex::exchange_state().pasteCache);
}

}  // extern "C"
