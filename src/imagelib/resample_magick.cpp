// Resampling through ImageMagick: Mitchell resize, adaptive resize, Lanczos
// (for comparison runs) and liquid rescale for seam carving.
#include <wand/MagickWand.h>

#include <cstring>

#include "imagelib/library.h"
#include "imagelib/resampling.h"

namespace mve::il {

namespace {

// Constitutes packed RGBA32 into a new wand; null on failure.
MagickWand* wand_from_rgba(const std::uint8_t* src, int width, int height)
{
    if (!ensure_magick()) return nullptr;
    MagickWand* wand = NewMagickWand();
    if (!wand) return nullptr;
    if (MagickConstituteImage(wand, static_cast<size_t>(width), static_cast<size_t>(height), "RGBA", CharPixel, src) ==
        MagickFalse) {
        DestroyMagickWand(wand);
        return nullptr;
    }
    return wand;
}

bool export_rgba(MagickWand* wand, std::uint8_t* dst, int width, int height)
{
    return MagickExportImagePixels(wand, 0, 0, static_cast<size_t>(width), static_cast<size_t>(height), "RGBA",
                                   CharPixel, dst) != MagickFalse;
}

}  // namespace

int magick_resize_rgba(const std::uint8_t* src, int width, int height, std::uint8_t* dst, int newWidth,
                       int newHeight, MagickResize kind) noexcept
{
    if (!src || !dst || width <= 0 || height <= 0 || newWidth <= 0 || newHeight <= 0) return 0;
    MagickWand* wand = wand_from_rgba(src, width, height);
    if (!wand) return 0;
    const auto w = static_cast<size_t>(newWidth), h = static_cast<size_t>(newHeight);
    MagickBooleanType ok = MagickFalse;
    switch (kind) {
        case MagickResize::Mitchell: ok = MagickResizeImage(wand, w, h, MitchellFilter, 1.0); break;
        case MagickResize::Lanczos: ok = MagickResizeImage(wand, w, h, LanczosFilter, 1.0); break;
        case MagickResize::Adaptive: ok = MagickAdaptiveResizeImage(wand, w, h); break;
    }
    const bool done = ok != MagickFalse && export_rgba(wand, dst, newWidth, newHeight);
    DestroyMagickWand(wand);
    return done ? 1 : 0;
}

int seam_carve_rgba(const std::uint8_t* src, int width, int height, std::uint8_t* dst, int newWidth,
                    const std::uint16_t* guide, int guideWidth) noexcept
{
    if (!src || !dst || width <= 0 || height <= 0 || newWidth <= 0) return 0;
    // A guide can only be honoured by our own carver, which removes seams.
    if (guide && newWidth < width) return seam_carve_rgba_own(src, width, height, dst, newWidth, guide, guideWidth);
    if (newWidth == width) {
        std::memcpy(dst, src, static_cast<std::size_t>(width) * height * 4);
        return 1;
    }
    if (MagickWand* wand = wand_from_rgba(src, width, height)) {
        // Liquid rescale needs liblqr in the ImageMagick build; without it the
        // call fails and the fallbacks below take over.
        const bool ok = MagickLiquidRescaleImage(wand, static_cast<size_t>(newWidth), static_cast<size_t>(height), 1.0,
                                                 0.0) != MagickFalse &&
                        MagickGetImageWidth(wand) == static_cast<size_t>(newWidth) &&
                        export_rgba(wand, dst, newWidth, height);
        DestroyMagickWand(wand);
        if (ok) return 1;
    }
    if (newWidth < width) return seam_carve_rgba_own(src, width, height, dst, newWidth, guide, guideWidth);
    // Widening without liquid rescale: a plain Lanczos3 resize of the width.
    return resize_image(src, width, height, width * 4, dst, newWidth, height, newWidth * 4, 4, kFilterLanczos3, 0);
}

}  // namespace mve::il
