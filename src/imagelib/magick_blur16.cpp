// Gaussian blur of a 16-bit RGBA plane through ImageMagick (Q16 keeps every
// bit of the 16-bit channels).
#include <wand/MagickWand.h>

#include "imagelib/filters.h"
#include "imagelib/library.h"

namespace mve::il {

bool magick_gaussian_blur_rgba64(std::uint16_t* pixels, int width, int height, double radius,
                                 double sigma) noexcept
{
    if (!pixels || width <= 0 || height <= 0 || !ensure_magick()) return false;
    MagickWand* wand = NewMagickWand();
    if (!wand) return false;
    const auto w = static_cast<size_t>(width), h = static_cast<size_t>(height);
    const bool ok = MagickConstituteImage(wand, w, h, "RGBA", ShortPixel, pixels) != MagickFalse &&
                    MagickGaussianBlurImage(wand, radius, sigma) != MagickFalse &&
                    MagickExportImagePixels(wand, 0, 0, w, h, "RGBA", ShortPixel, pixels) != MagickFalse;
    DestroyMagickWand(wand);
    return ok;
}

}  // namespace mve::il
