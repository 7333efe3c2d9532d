// What one script call does to one RGBA32 pixel or mask value, shared by the
// Lua functions of both builds: the C functions read their arguments from the
// Lua stack and call these, and on LuaJIT the prelude's functions call the
// colour-model kernels through FFI pointers and repeat the channel rules
// below in Lua, operation for operation, so both give the same bytes.
//
// Rules: a byte c is returned as c x 0.00392156862745098 (c / 255); a number
// v is stored as trunc(v x 255) clamped to 0..255, NaN storing 0. The mask is
// returned as m / 65535 and stored as the low 16 bits of trunc(v x 65535)
// without clamping (non-finite values store 0). Coordinates are truncated
// toward zero; the pixel is on the canvas when 0 <= trunc(x) < width and
// 0 <= trunc(y) < height.
#pragma once

#include <cstdint>

namespace mve::script {

constexpr double kByteToUnit = 0.00392156862745098;

// trunc(v x 255) clamped to 0..255; NaN gives 0.
inline std::uint8_t unit_to_byte(double v) noexcept
{
    const double t = v * 255;
    if (t >= 255) return 255;
    if (t >= 1) return static_cast<std::uint8_t>(t);
    return 0;
}

// The pixel index y * width + x, or -1 when (x, y) is off the canvas.
long long pixel_index(double x, double y, int width, int height) noexcept;

// (R + G + B) / 3 in integers.
inline int grey_of(const std::uint8_t* px) noexcept { return (px[0] + px[1] + px[2]) / 3; }

// The low 16 bits of trunc(v x 65535); 0 for NaN and infinities.
std::uint16_t unit_to_mask(double v) noexcept;

// Colour models on one pixel: getters fill `out` (3 or 4 values), setters
// write R, G, B and leave alpha. The signatures are plain C so the LuaJIT
// prelude can call them through function pointers.
extern "C" {
using GetModelFn = void (*)(const std::uint8_t* px, double* out);
using Set3ModelFn = void (*)(std::uint8_t* px, double a, double b, double c);
using Set4ModelFn = void (*)(std::uint8_t* px, double a, double b, double c, double d);
}

void get_hsv(const std::uint8_t* px, double* out) noexcept;
// h clamped to 0..359, s and v to 0..1 (NaN to the lower bound).
void set_hsv(std::uint8_t* px, double h, double s, double v) noexcept;
void get_hsl(const std::uint8_t* px, double* out) noexcept;
void set_hsl(std::uint8_t* px, double h, double s, double l) noexcept;
void get_lab(const std::uint8_t* px, double* out) noexcept;
// No clamping of the inputs (the conversions keep bytes in range, NaN gives 0).
void set_lab(std::uint8_t* px, double l, double a, double b) noexcept;
void get_cmyk(const std::uint8_t* px, double* out) noexcept;
void set_cmyk(std::uint8_t* px, double c, double m, double y, double k) noexcept;

}  // namespace mve::script
