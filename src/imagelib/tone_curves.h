// Tone curves of packed RGBA32 pictures (rows of width * 4 bytes, alpha never
// changed): every operation here either builds 256-entry tables and maps
// each colour byte through them, or (the HSL stretch) builds its histogram
// once and maps each pixel's lightness. Histograms count only pixels with a
// non-zero alpha, so the transparent part of a layer does not weigh on them.
// All return non-zero on success and 0 for a null picture or an empty size
// (the picture is then untouched).
#pragma once

#include <cstdint>

namespace mve::il {

// One table per colour channel (R, G, B), each mapping a byte to a byte.
struct ToneTables {
    std::uint8_t rgb[3][256];
};

// Maps R, G and B of every pixel through their tables, rows in parallel.
int apply_tone_tables(std::uint8_t* rgba, int width, int height, const ToneTables& t) noexcept;

// c' = clamp(round((c - 127.5) * k + 127.5 + 255 * brightness)), with
// brightness and contrast in -1..1 (values beyond are clamped), k = 1 + contrast
// below 0 (contrast -1 gives flat grey) and 1 / (1 - contrast) above (contrast
// 1 gives a hard split at the middle).
int adjust_brightness_contrast(std::uint8_t* rgba, int width, int height, double brightness,
                               double contrast) noexcept;

// c' = round(255 * (c / 255)^(1 / gamma)): gamma above 1 lightens the
// midtones, below 1 darkens them; gamma is held to 0.01..100.
int adjust_gamma(std::uint8_t* rgba, int width, int height, double gamma) noexcept;

// Histogram equalisation and stretch on the brightness histogram: one table
// from it, applied alike to R, G and B so colours keep their balance.
// Equalise: t[v] = round((cdf(v) - cdf(min)) * 255 / (n - cdf(min))), where
// min is the darkest level present. Stretch: the darkest and lightest levels
// present go to 0 and 255, linearly between (rounded). A picture of one
// level (or no visible pixel) is left as it is.
int equalize_brightness(std::uint8_t* rgba, int width, int height) noexcept;
int stretch_brightness(std::uint8_t* rgba, int width, int height) noexcept;
// The same on each colour channel's own histogram (colours may shift).
int equalize_channels(std::uint8_t* rgba, int width, int height) noexcept;
int stretch_channels(std::uint8_t* rgba, int width, int height) noexcept;
// Stretch of the HSL lightness L = (max + min) / 2: the lowest and highest
// lightness present go to 0 and 1, hue and saturation kept.
int stretch_lightness_hsl(std::uint8_t* rgba, int width, int height) noexcept;

// Grey (R + G + B) / 3 at or above `level` becomes white, below it black.
int threshold(std::uint8_t* rgba, int width, int height, int level) noexcept;

// Shifts of the red-cyan, green-magenta and blue-yellow balance, each in
// -255..255 levels, weighted towards the midtones so black and white stay:
// c' = clamp(round(c + shift * 4 c (255 - c) / 255^2)).
int adjust_colour_balance(std::uint8_t* rgba, int width, int height, const int shift[3]) noexcept;

// Adds the colour's own tint (its channels less their mean) times strength
// (0..1) to every pixel, so brightness stays roughly as it was:
// c' = clamp(round(c + strength * (colour_c - mean(colour)))).
int tint(std::uint8_t* rgba, int width, int height, const std::uint8_t colour[3], double strength) noexcept;

// Maps grey (R + G + B) / 3 along the ramp black -> ink1 (at 85) -> ink2
// (at 170) -> white, linearly between (rounded): a two-ink print.
int duotone(std::uint8_t* rgba, int width, int height, const std::uint8_t ink1[3], const std::uint8_t ink2[3]) noexcept;

}  // namespace mve::il
