// The built-in named effects: the parameter block they are driven by, the
// pixel access rules they all share, and one function per effect.
//
// Pixel contract: RGBA32, four bytes R, G, B, A per pixel, rows of width * 4
// bytes, top row first, straight colour. Effects read through get() and write
// through set(): a read outside the image gives zeros, a write outside it is
// ignored, integer channels are clamped to 0..255 and real channels (0..1)
// are clamped and stored as trunc(v * 255). With the single-buffer flag 0
// reads come from the source, with 1 from the destination (each write is then
// seen by the reads after it). Writes always go to the destination.
#pragma once

#include <algorithm>
#include <cstdint>

#include "core/colour_models.h"

namespace mve::ipl {

// The named-effect parameter block. P and I are indexed 1..6 and 1..8 as the
// effects name them (P[0] and I[0] are unused) so formulas read like their
// descriptions.
struct EffectBlock {
    std::uint8_t* src = nullptr;
    std::uint8_t* dst = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;                 // width * 4
    int bounds[4] = {0, 0, 0, 0};   // x0, y0, x1, y1 (inclusive)
    std::uint8_t singleBuffer = 0;  // 1: read the destination
    int extra = 0;                  // always 0 from the dispatcher
    double P[7] = {};               // P1..P6 = p1..p6 * 0.001
    int I[9] = {};                  // I1..I8 as given
    double colour[3] = {};          // r, g, b / 255
};

struct Px {
    int r = 0, g = 0, b = 0, a = 0;
};

// Integer luminance used by every effect: (R + G + B) / 3, truncated.
inline int lum(const Px& p) noexcept { return (p.r + p.g + p.b) / 3; }

inline int clamp255(int v) noexcept { return std::clamp(v, 0, 255); }
// Real channel in 0..1 to a byte: clamped, then trunc(v * 255).
inline int real_to_byte(double v) noexcept { return static_cast<int>(std::clamp(v, 0.0, 1.0) * 255.0); }

// HSL written back: hue clamped to 0..359, saturation and lightness to 0..1.
inline Rgb8 hsl_to_rgb_clamped(const Hsl& c) noexcept
{
    return hsl_to_rgb(std::clamp(c.h, 0.0, 359.0), std::clamp(c.s, 0.0, 1.0), std::clamp(c.l, 0.0, 1.0));
}

// What an effect may reach beyond the block: the write-back of a flush, the
// Mask, the data extents and the brush colour. Filled by the runner.
struct EffectServices {
    bool writeBack = false;              // flush loads the destination into the current layer
    std::uint16_t* mask = nullptr;       // width * height values, null when no Mask covers the image
    bool extentsFromLayer = false;       // extents of the current layer, else of the source alpha
    double brushColour[3] = {0, 0, 0};   // 0..1
};

// One run of an effect: the block plus the shared pixel vocabulary.
class EffectRun {
public:
    EffectRun(EffectBlock& block, const EffectServices& services) noexcept : b(block), services_(services) {}

    EffectBlock& b;

    bool inside(int x, int y) const noexcept { return x >= 0 && y >= 0 && x < b.width && y < b.height; }
    const std::uint8_t* read_plane() const noexcept { return b.singleBuffer ? b.dst : b.src; }

    Px get(int x, int y) const noexcept
    {
        if (!inside(x, y)) return {};
        const std::uint8_t* p = read_plane() + offset(x, y);
        return {p[0], p[1], p[2], p[3]};
    }
    void set(int x, int y, int r, int g, int bl, int a) noexcept
    {
        if (!inside(x, y)) return;
        std::uint8_t* p = b.dst + offset(x, y);
        p[0] = static_cast<std::uint8_t>(clamp255(r));
        p[1] = static_cast<std::uint8_t>(clamp255(g));
        p[2] = static_cast<std::uint8_t>(clamp255(bl));
        p[3] = static_cast<std::uint8_t>(clamp255(a));
    }
    void set(int x, int y, const Px& p) noexcept { set(x, y, p.r, p.g, p.b, p.a); }
    void set_real(int x, int y, double r, double g, double bl, double a) noexcept
    {
        set(x, y, real_to_byte(r), real_to_byte(g), real_to_byte(bl), real_to_byte(a));
    }
    // Writes one channel (0..3) of the destination, clamped.
    void set_channel(int x, int y, int channel, int v) noexcept
    {
        if (inside(x, y)) b.dst[offset(x, y) + channel] = static_cast<std::uint8_t>(clamp255(v));
    }

    // Mask value v in 0..1 stored as trunc(v * 65535); ignored without a Mask
    // or outside the image.
    void set_mask(int x, int y, double v) noexcept;
    // Replace write-back of the destination into the current layer (when this
    // run is bound to the layer), then the destination copied into the source.
    void flush() noexcept;
    // The destination copied into the source only.
    void copy() noexcept;
    // Data extents x0, y0, x1, y1 (inclusive): of the current layer for runs on
    // the processing buffers, else of the source's non-transparent pixels; the
    // whole image when nothing is found.
    void data_extents(int& x0, int& y0, int& x1, int& y1) const noexcept;
    const double* brush_colour() const noexcept { return services_.brushColour; }

    std::size_t offset(int x, int y) const noexcept
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(b.stride) + static_cast<std::size_t>(x) * 4;
    }

private:
    EffectServices services_;
};

using EffectFn = void (*)(EffectRun&);

// Directional and neighbourhood smoothing (effects_directional.cpp).
void anti_alias(EffectRun& run);
void value_blur(EffectRun& run);
void noise_reduction(EffectRun& run);
void noise_reduction_rgb(EffectRun& run);
// effects_adaptive.cpp
void adaptive_blur(EffectRun& run);
// Per-pixel effects (effects_pixel.cpp).
void grayscale(EffectRun& run);
void invert(EffectRun& run);
void basic_threshold(EffectRun& run);
void hyper_contrast(EffectRun& run);
void adjust_lab(EffectRun& run);
void adjust_rgba(EffectRun& run);
void channel(EffectRun& run);
void clamp_channels(EffectRun& run);
void alpha_edge_color(EffectRun& run);
void fader(EffectRun& run);
// 3x3 neighbourhood effects (effects_detail.cpp).
void detail_blur(EffectRun& run);
void line_art_cleaner(EffectRun& run);
void bas_relief(EffectRun& run);
// effects_box_blur.cpp
void box_blur(EffectRun& run);
// Geometric effects (effects_frame.cpp).
void mirror(EffectRun& run);
void gallery_wrap_mirror_auto(EffectRun& run);
void reflection(EffectRun& run);
void borderize(EffectRun& run);
void vignette(EffectRun& run);
// Mask effects (effects_mask.cpp).
void mask_high_low(EffectRun& run);
void mask_detail(EffectRun& run);

// The whole "Box Blur" on two RGBA32 buffers with radius r: three rounds of a
// vertical then a horizontal pass, the window cut at the border or, with
// `wrap`, wrapping with a period of size - 1. The first pass reads the
// destination when `readDestination`, else the source. On return the
// destination holds the result and the source the result of the fifth pass,
// as if the destination had been copied into the source before every pass.
void box_blur_buffers(std::uint8_t* src, std::uint8_t* dst, int width, int height, int r, bool wrap,
                      bool readDestination);

// Gaussian blur of one 8-bit plane in place with the given radius (sigma).
void gaussian_blur_gray8(std::uint8_t* plane, int width, int height, double radius);

}  // namespace mve::ipl
