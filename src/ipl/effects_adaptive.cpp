// "Adaptive Blur": blurs a pixel towards its four direct neighbours only where
// one of them differs enough in luminance, so flat areas stay as they are.
#include "ipl/effects.h"

namespace mve::ipl {

namespace {

// The weight chosen by the first of left, right, above, below that differs by
// more than t: P2 when the pixel is brighter than it, P3 when darker; false
// when no neighbour qualifies.
bool adaptive_weight(int lc, const Px* nb, double t, double p2, double p3, double& w) noexcept
{
    for (int k = 0; k < 4; ++k) {
        const int ln = lum(nb[k]);
        if (lc - ln > t) return w = p2, true;
        if (ln - lc > t) return w = p3, true;
    }
    return false;
}

// Every step truncated as written: s = trunc(c(1-w)); a accumulates
// trunc(neighbour * w + a + s) over left, right, above, below; result a / 4,
// which is (1 - w) c + w * mean(neighbours).
int adaptive_channel(int c, const int nb[4], double w) noexcept
{
    const int s = static_cast<int>(c * (1.0 - w));
    int a = static_cast<int>(nb[0] * w + s);
    for (int k = 1; k < 4; ++k) a = static_cast<int>(nb[k] * w + a + s);
    return clamp255(a / 4);
}

}  // namespace

// One pass over the interior in single-buffer mode: pixels to the left and
// above have already been blurred when a pixel is read.
void adaptive_blur(EffectRun& run)
{
    EffectBlock& b = run.b;
    b.singleBuffer = 1;
    const double t = (1.0 - b.P[1]) * 255.0, p2 = b.P[2], p3 = b.P[3];
    for (int y = 1; y <= b.height - 2; ++y)
        for (int x = 1; x <= b.width - 2; ++x) {
            const Px c = run.get(x, y);
            const Px nb[4] = {run.get(x - 1, y), run.get(x + 1, y), run.get(x, y - 1), run.get(x, y + 1)};
            double w = 0;
            if (!adaptive_weight(lum(c), nb, t, p2, p3, w)) continue;
            const int r[4] = {nb[0].r, nb[1].r, nb[2].r, nb[3].r}, g[4] = {nb[0].g, nb[1].g, nb[2].g, nb[3].g};
            const int bl[4] = {nb[0].b, nb[1].b, nb[2].b, nb[3].b}, a[4] = {nb[0].a, nb[1].a, nb[2].a, nb[3].a};
            run.set(x, y, adaptive_channel(c.r, r, w), adaptive_channel(c.g, g, w), adaptive_channel(c.b, bl, w),
                    adaptive_channel(c.a, a, w));
        }
}

}  // namespace mve::ipl
