// Painterly effects of RGB24 pictures (packed rows of width * 3 bytes):
// oil paint, stipple, watercolour tint, gauze, crackle, fingerprint and dust
// and scratches. Each reads `src` and writes `dst` (different buffers);
// non-zero on success, 0 for bad arguments or when a work buffer cannot be
// allocated (dst then unspecified). Random choices come from the engine's
// seeded generator, so a seed reproduces the picture with any thread count.
#pragma once

#include <cstdint>

namespace mve::il {

// Oil paint: each pixel takes the mean colour of the most common brightness
// among the pixels of the (2 radius + 1)^2 window around it (inside the
// picture). Brightness (R + G + B) / 3 is sorted into `levels` (2..256)
// bands; ties go to the darker band. Flat strokes of one colour form, with
// edges where the dominant brightness changes, as in paint laid with a
// brush. A sliding histogram per row keeps the cost linear in the radius.
int oil_paint_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, int radius,
                    int levels) noexcept;

// Stipple: the picture redrawn as ink dots on white paper. A pixel becomes a
// dot with probability min(1, density * (255 - luma) / 255), so dark areas
// gather many dots; a dot keeps the pixel's hue at 60 % of its brightness.
int stipple_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double density,
                  std::uint32_t seed) noexcept;

// Watercolour tint: colours softened by a Gaussian of `softness` (sigma),
// washed towards the white of the paper by `wash` (0..1), and darkened where
// the softened brightness changes, as pigment gathers at the rim of a wash:
// out = (s + wash (255 - s)) * (1 - min(edge * |gradient| / 255, 0.6)).
int watercolor_tint_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double softness,
                          double wash, double edge) noexcept;

// Gauze: a soft-focus glow, as through a fine cloth over the lens. The
// picture is screened with its own Gaussian blur b (sigma `spread`):
// screen = 255 - (255 - o)(255 - b) / 255, mixed with o by amount (0..1).
int gauzy_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double spread,
                double amount) noexcept;

// Crackle: the craquelure of old varnish. One random point per cell of a
// grid of `cellSize` pixels; along the lines where the nearest and the
// second-nearest point are equally far (F2 - F1 < crackWidth) the colour
// is darkened by up to `depth` (0..1), fading over the crack's width.
int crackle_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double cellSize,
                  double crackWidth, double depth, std::uint32_t seed) noexcept;

// Fingerprint: the picture drawn in the whorls of a fingertip. Ridges are
// rings about a point a little below the middle, `spacing` pixels apart,
// bent by gradient noise; a ridge is thicker where the picture is darker,
// so the picture shows through their weight. Ridges are inked in the
// pixel's colour at 35 % brightness on the pixel's colour washed 70 % white.
int fingerprint_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double spacing,
                      std::uint32_t seed) noexcept;

// Dust and scratches: a pixel any of whose channels differs from the median
// of its (2 radius + 1)^2 window by more than `threshold` takes the window's
// median; the rest are kept, so specks and thin scratches vanish while
// texture below the threshold survives.
int dust_and_scratches_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, int radius,
                             int threshold) noexcept;

// RGB24 <-> RGBA32 of `pixels` packed pixels (alpha 255 on the way in,
// dropped on the way out), for RGB24 effects built on RGBA32 filters.
void rgb24_to_rgba32(const std::uint8_t* rgb, std::uint8_t* rgba, std::size_t pixels) noexcept;
void rgba32_to_rgb24(const std::uint8_t* rgba, std::uint8_t* rgb, std::size_t pixels) noexcept;

}  // namespace mve::il
