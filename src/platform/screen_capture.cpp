// Pixel conversion of screen captures, and the capture itself when X11 is
// built in (screen_capture_x11.cpp); without it there is no screen to read.
#include "platform/screen_capture.h"

namespace mve::platform {

namespace {

// Lowest set bit and width of a channel mask.
void mask_shape(unsigned long mask, int& shift, int& bits) noexcept
{
    shift = 0;
    bits = 0;
    if (!mask) return;
    while (!(mask & 1ul)) mask >>= 1, ++shift;
    while (mask & 1ul) mask >>= 1, ++bits;
}

// A channel of `bits` bits widened to 8 by repeating its high bits, so the
// full value maps to 255 (5-bit 31 -> 255).
std::uint8_t widen_channel(unsigned long v, int bits) noexcept
{
    if (bits >= 8) return static_cast<std::uint8_t>(v >> (bits - 8));
    if (bits <= 0) return 0;
    unsigned long out = 0;
    for (int filled = 0; filled < 8; filled += bits) out = (out << bits) | v;
    const int extra = ((8 + bits - 1) / bits) * bits - 8;
    return static_cast<std::uint8_t>(out >> extra);
}

}  // namespace

void x_pixels_to_rgba(const std::uint8_t* in, int bytesPerPixel, int width, unsigned long redMask,
                      unsigned long greenMask, unsigned long blueMask, std::uint8_t* out) noexcept
{
    int rs, rb, gs, gb, bs, bb;
    mask_shape(redMask, rs, rb);
    mask_shape(greenMask, gs, gb);
    mask_shape(blueMask, bs, bb);
    const bool common = bytesPerPixel == 4 && redMask == 0xff0000 && greenMask == 0xff00 && blueMask == 0xff;
    for (int x = 0; x < width; ++x, in += bytesPerPixel, out += 4) {
        if (common) {  // 32-bit 0x00RRGGBB, the usual TrueColor layout
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = 255;
            continue;
        }
        unsigned long v = 0;
        for (int b = 0; b < bytesPerPixel; ++b) v |= static_cast<unsigned long>(in[b]) << (8 * b);
        out[0] = widen_channel((v & redMask) >> rs, rb);
        out[1] = widen_channel((v & greenMask) >> gs, gb);
        out[2] = widen_channel((v & blueMask) >> bs, bb);
        out[3] = 255;
    }
}

#if !defined(MVE_WITH_X11)
bool capture_screen(ScreenPicture&, CaptureRoute)
{
    return false;
}
#endif

}  // namespace mve::platform
