// Effects that write the selection Mask instead of pixels: "Mask High Low"
// and "Mask Detail". The dispatcher clears the Mask before running them; here
// only the marked pixels are written.
#include <cstdlib>

#include "ipl/effects.h"

namespace mve::ipl {

// Above hi = trunc(P1 * 255): (255 - lum) * 255 / max(255 - hi, 1); below
// lo = trunc(P2 * 255): lum * 255 / max(lo, 1); capped at 255 and stored as
// value / 255. Strongest just beyond each threshold, 0 at pure white or black.
void mask_high_low(EffectRun& run)
{
    const int hi = static_cast<int>(run.b.P[1] * 255.0), lo = static_cast<int>(run.b.P[2] * 255.0);
    for (int y = 0; y < run.b.height; ++y)
        for (int x = 0; x < run.b.width; ++x) {
            const int l = lum(run.get(x, y));
            int value;
            if (l > hi)
                value = (255 - l) * 255 / std::max(255 - hi, 1);
            else if (l < lo)
                value = l * 255 / std::max(lo, 1);
            else
                continue;
            run.set_mask(x, y, std::min(value, 255) / 255.0);
        }
}

namespace {

// |a - b| > t per channel for R, G, B.
inline bool differs(const Px& p, const Px& q, int channel, int t) noexcept
{
    const int pv[3] = {p.r, p.g, p.b}, qv[3] = {q.r, q.g, q.b};
    return std::abs(pv[channel] - qv[channel]) > t;
}

// I4 = 0: a channel differs by more than t from both vertical or from both
// horizontal neighbours. I4 != 0: from all eight neighbours.
bool is_detail(const EffectRun& run, int x, int y, int t, bool allEight) noexcept
{
    const Px c = run.get(x, y);
    for (int ch = 0; ch < 3; ++ch) {
        if (!allEight) {
            if (differs(c, run.get(x, y - 1), ch, t) && differs(c, run.get(x, y + 1), ch, t)) return true;
            if (differs(c, run.get(x - 1, y), ch, t) && differs(c, run.get(x + 1, y), ch, t)) return true;
            continue;
        }
        bool all = true;
        for (int dy = -1; dy <= 1 && all; ++dy)
            for (int dx = -1; dx <= 1 && all; ++dx)
                if ((dx != 0 || dy != 0) && !differs(c, run.get(x + dx, y + dy), ch, t)) all = false;
        if (all) return true;
    }
    return false;
}

}  // namespace

// Interior pixels that stand out from their neighbours by more than
// trunc(P1 * 255) in some channel get the mask value 1 - P2.
void mask_detail(EffectRun& run)
{
    const int t = static_cast<int>(run.b.P[1] * 255.0);
    const bool allEight = run.b.I[4] != 0;
    const double value = 1.0 - run.b.P[2];
    for (int y = 1; y <= run.b.height - 2; ++y)
        for (int x = 1; x <= run.b.width - 2; ++x)
            if (is_detail(run, x, y, t, allEight)) run.set_mask(x, y, value);
}

}  // namespace mve::ipl
