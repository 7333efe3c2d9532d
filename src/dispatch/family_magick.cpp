// ImageMagick effects (pattern W: Src32 constituted into a wand, one wand
// operation, the wand exported to Dst32 and written back; the pattern
// destroys the wand on every path and skips the write-back when the
// operation fails). Sliders map to the operation's strengths as stated above
// each; radius 0 lets ImageMagick choose the radius that fits the sigma.
#include <wand/MagickWand.h>

#include <algorithm>

#include "dispatch/families.h"

namespace mve::dispatch {

namespace {

MagickWand* wand_of(Frame& f) { return static_cast<MagickWand*>(f.wand); }

// lo + fN * step, held to lo..hi (so extreme sliders stay usable).
double ranged(const Frame& f, int n, double lo, double step, double hi)
{
    return std::clamp(lo + static_cast<double>(f.a.f[n - 1]) * step, lo, hi);
}

bool ok(MagickBooleanType result) { return result != MagickFalse; }

// Charcoal drawing with sigma 0.5 + f1 * 0.05 (0.5..5.5).
bool charcoal(Frame& f) { return ok(MagickCharcoalImage(wand_of(f), 0, ranged(f, 1, 0.5, 0.05, 5.5))); }
// Blur that softens flat areas more than edges, sigma 0.5 + f1 * 0.1 (0.5..10.5).
bool haze_blur(Frame& f) { return ok(MagickAdaptiveBlurImage(wand_of(f), 0, ranged(f, 1, 0.5, 0.1, 10.5))); }
// The darkest and lightest few per cent stretched to black and white.
bool normalize(Frame& f) { return ok(MagickNormalizeImage(wand_of(f))); }
// S-curve contrast of strength f1 * 0.2 (0..20) about the midpoint f2 %
// (0 taken as 50 %); the low byte of i1 set softens instead of sharpening.
bool sigmoidal_contrast(Frame& f)
{
    const double strength = ranged(f, 1, 0, 0.2, 20);
    const double midpoint = (f.a.p[1] == 0 ? 0.5 : ranged(f, 2, 0, 0.01, 1)) * QuantumRange;
    const MagickBooleanType sharpen = (f.a.i[0] & 0xFF) ? MagickFalse : MagickTrue;
    if (strength <= 0) return true;  // no curve: the picture as it was
    return ok(MagickSigmoidalContrastImage(wand_of(f), sharpen, strength, midpoint));
}
// A moonlit night: colours shifted to blue and dimmed by factor 1 + f1 * 0.01
// (1..2; 500 gives ImageMagick's usual 1.5, higher factors wash towards white).
bool darkness(Frame& f) { return ok(MagickBlueShiftImage(wand_of(f), ranged(f, 1, 1, 0.01, 2))); }
// At most max(trunc(f1 * 2.56), 2) colours (2..256); the low byte of i1 set dithers.
bool reduce_colours(Frame& f)
{
    const double colours = std::clamp(static_cast<double>(f.a.f[0]) * 2.56, 2.0, 256.0);
    const MagickBooleanType dither = (f.a.i[0] & 0xFF) ? MagickTrue : MagickFalse;
    return ok(MagickQuantizeImage(wand_of(f), static_cast<size_t>(colours), sRGBColorspace, 0, dither, MagickFalse));
}
// Digital noise reduced by a weighted smoothing that spares edges.
bool denoise(Frame& f) { return ok(MagickEnhanceImage(wand_of(f))); }
// Sharpening strongest at edges, sigma 0.5 + f1 * 0.05 (0.5..5.5).
bool adaptive_sharpen(Frame& f)
{
    return ok(MagickAdaptiveSharpenImage(wand_of(f), 0, ranged(f, 1, 0.5, 0.05, 5.5)));
}
// Relief lit from azimuth f1 * 3.6 degrees at elevation f2 * 0.9 degrees
// (0 taken as 30); grey relief, or shaded colour when the low byte of i1 is set.
bool emboss4(Frame& f)
{
    const double azimuth = ranged(f, 1, 0, 3.6, 360);
    const double elevation = f.a.p[1] == 0 ? 30 : ranged(f, 2, 0, 0.9, 90);
    const MagickBooleanType grey = (f.a.i[0] & 0xFF) ? MagickFalse : MagickTrue;
    return ok(MagickShadeImage(wand_of(f), grey, azimuth, elevation));
}

constexpr Entry kMagick[] = {
    {"Charcoal 2", "ImageMagick", Pattern::W, charcoal},
    {"Haze Blur", "ImageMagick", Pattern::W, haze_blur},
    {"Normalize", "ImageMagick", Pattern::W, normalize},
    {"Sigmoidal Contrast", "ImageMagick", Pattern::W, sigmoidal_contrast},
    {"Darkness", "ImageMagick", Pattern::W, darkness},
    {"Reduce Colors", "ImageMagick", Pattern::W, reduce_colours},
    {"Denoise", "ImageMagick", Pattern::W, denoise},
    {"Adaptive Sharpen", "ImageMagick", Pattern::W, adaptive_sharpen},
    {"Emboss4", "ImageMagick", Pattern::W, emboss4},
};

}  // namespace

std::span<const Entry> magick_family() noexcept { return kMagick; }

}  // namespace mve::dispatch
