// Colour conversions shared by blending, mask building, effects and scripts.
// Plain functions without state. Byte inputs are 8-bit channels; fractional
// values are double unless the name ends in _f (float, used by the HSL blend
// modes and the view renderer). Results that go back to bytes are truncated
// toward zero, never rounded.
#pragma once

#include <cstdint>

namespace mve {

struct Rgb8 {
    std::uint8_t r = 0, g = 0, b = 0;
};
struct Hsv {
    double h = 0, s = 0, v = 0;  // h in degrees [0, 360) or -1 for grey; s, v in [0, 1]
};
struct Hsl {
    double h = 0, s = 0, l = 0;  // h in degrees [0, 360]; s, l in [0, 1]
};
struct HslF {
    float h = 0, s = 0, l = 0;
};
struct RgbF {
    float r = 0, g = 0, b = 0;  // [0, 1]
};
struct Xyz {
    double x = 0, y = 0, z = 0;  // D65, 0 .. ~100
};
struct Lab {
    double l = 0, a = 0, b = 0;  // CIE L*a*b*
};
struct Cmyk {
    double c = 0, m = 0, y = 0, k = 0;  // [0, 1]
};

Hsv rgb_to_hsv(int r, int g, int b) noexcept;
// Hues are expected in 0..360 (360 counts as 0).
Rgb8 hsv_to_rgb(double h, double s, double v) noexcept;

Hsl rgb_to_hsl(int r, int g, int b) noexcept;
// The hue is brought into range once (above 360 minus 360, below 0 plus 360).
Rgb8 hsl_to_rgb(double h, double s, double l) noexcept;
// Float variants on channels in [0, 1]; the same formulas in single precision.
HslF rgb_to_hsl_f(float r, float g, float b) noexcept;
RgbF hsl_to_rgb_f(float h, float s, float l) noexcept;

// sRGB with the D65 white of IEC 61966-2-1; negative components become 0.
Xyz rgb_to_xyz(int r, int g, int b) noexcept;
// Bytes clamped to 0..255.
Rgb8 xyz_to_rgb(double x, double y, double z) noexcept;
// Reference white 95.047, 100, 108.883.
Lab xyz_to_lab(double x, double y, double z) noexcept;
Xyz lab_to_xyz(double l, double a, double b) noexcept;
Lab rgb_to_lab(int r, int g, int b) noexcept;
Rgb8 lab_to_rgb(double l, double a, double b) noexcept;

Cmyk rgb_to_cmyk(int r, int g, int b) noexcept;
Rgb8 cmyk_to_rgb(double c, double m, double y, double k) noexcept;
// Each byte = truncate((1 - v) x 255).
Rgb8 cmy_to_rgb(double c, double m, double y) noexcept;

// A colour no pixel of the packed RGBA32 image has (alpha ignored), searched
// with blue outermost, then green, then red, all upward: r | g << 8 | b << 16.
// 256 when every colour occurs; 0 (black) for a null or empty image.
int find_absent_colour(const std::uint8_t* rgba32, int width, int height) noexcept;

}  // namespace mve
