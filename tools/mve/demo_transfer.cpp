// Demo: pixel transfer. An RGBA32 picture is loaded into a new layer through
// a left-to-right Mask ramp, read back as RGBA32 and RGB24, and queried.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "demo.h"
#include "morvane/morvane.h"

namespace {

using namespace mve_host;

constexpr int kLayer = 5;

// A colour disc on a transparent ground: red across, green down, blue rings.
std::vector<unsigned char> make_picture(int w, int h)
{
    std::vector<unsigned char> pic(static_cast<std::size_t>(w) * h * 4);
    const double cx = w / 2.0, cy = h / 2.0, radius = 0.45 * h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &pic[(static_cast<std::size_t>(y) * w + x) * 4];
            const double d = std::hypot(x - cx, y - cy);
            p[0] = static_cast<unsigned char>(x * 255 / (w - 1));
            p[1] = static_cast<unsigned char>(y * 255 / (h - 1));
            p[2] = static_cast<unsigned char>(static_cast<int>(d) % 32 < 16 ? 255 : 64);
            p[3] = d <= radius ? 255 : 0;
        }
    return pic;
}

bool transfer_through_mask(DemoContext& ctx)
{
    const int w = ctx.width, h = ctx.height;
    if (!check(w > 1 && h > 1, "canvas from the canvas step")) return false;
    const int previous = MVE_GetLayerNum();
    std::vector<unsigned short> savedMask(static_cast<std::size_t>(w) * h);
    MVE_GetMaskData16(savedMask.data());

    // A new layer, opaque dark blue, then the picture through a Mask ramp:
    // column 0 blocked (0), the last column fully selected (65535).
    if (!check(MVE_CreateLayer(kLayer, w, h) == 1, "create layer 5")) return false;
    MVE_SetLayerOptions(kLayer, 1, 0, 100, "Normal");
    MVE_SetLayer(kLayer);
    MVE_Clear(20, 30, 90, 255);
    std::vector<unsigned short> ramp(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ramp[static_cast<std::size_t>(y) * w + x] = static_cast<unsigned short>(x * 65535 / (w - 1));
    MVE_SetMaskData16(ramp.data());
    MVE_EnableMask(1);
    const std::vector<unsigned char> pic = make_picture(w, h);
    MVE_LoadRGBA32Layer(pic.data(), w * 4, kLayer, 0, 0, w, h, 1);
    say("loaded a %dx%d RGBA32 picture into layer %d through a 0..65535 Mask ramp", w, h, kLayer);

    // Read back: the blocked column keeps the blue, the selected one is the picture.
    std::vector<unsigned char> rgba(static_cast<std::size_t>(w) * h * 4), rgb(static_cast<std::size_t>(w) * h * 3);
    MVE_GetRGBA32Layer(rgba.data(), w * 4, kLayer);
    MVE_GetRGB24Layer(rgb.data(), w * 3, kLayer);
    const int my = h / 2;
    const unsigned left = MVE_GetColorAtLayer(0, my, kLayer);
    const unsigned right = MVE_GetColorAtLayer(w - 1, my, kLayer);
    const unsigned middle = MVE_GetRGBAAtLayer(w / 2, my, kLayer);
    say("ARGB at column 0 0x%08X, last column 0x%08X; RGBA at the centre 0x%08X", left, right, middle);
    say("queries: outside 0x%06X, clamped x=-5 0x%08X, surface alpha64 %d", MVE_GetColorAtLayer(-1, 0, kLayer),
        MVE_GetRGBAAtLayer(-5, my, kLayer), MVE_GetAlpha64(w - 1, my));
    const unsigned char* pr = &pic[(static_cast<std::size_t>(my) * w + w - 1) * 4];
    bool ok = check(left == 0xFF141E5Au, "blocked column keeps the fill") &&
              check(right == (unsigned{pr[3]} << 24 | unsigned{pr[0]} << 16 | unsigned{pr[1]} << 8 | pr[2]),
                    "selected column is the picture") &&
              check(MVE_GetRGBAAtLayer(-5, my, kLayer) == MVE_GetRGBAAtLayer(0, my, kLayer), "x clamped") &&
              check(rgb[(static_cast<std::size_t>(my) * w) * 3 + 2] == rgba[(static_cast<std::size_t>(my) * w) * 4 + 2],
                    "RGB24 and RGBA32 read-outs agree");

    // Premultiply and back: a filter round trip loses at most a little colour.
    std::vector<unsigned char> round = rgba;
    for (std::size_t i = 3; i < round.size(); i += 4) round[i] = static_cast<unsigned char>(40 + (i / 4) % 200);
    std::vector<unsigned char> before = round;
    MVE_AdjustRGBA32PreFilter(round.data(), w, h);
    MVE_AdjustRGBA32PostFilter(round.data(), w, h);
    int worst = 0;
    for (std::size_t i = 0; i < round.size(); ++i)
        if (i % 4 != 3) worst = std::max(worst, std::abs(round[i] - before[i]));
    say("premultiply round trip at alpha 40..239: largest colour change %d", worst);

    std::string path = ctx.outDir + "/transfer.png";
    ok = ok && check(write_png(path, rgb.data(), w, h, 3), "write transfer.png");
    say("wrote %s", path.c_str());

    // Leave the Mask and the current layer as they were found.
    MVE_SetMaskData16(savedMask.data());
    MVE_SetLayer(previous);
    return ok;
}

}  // namespace

MVE_DEMO_STEP(250, "pixel transfer through the Mask", transfer_through_mask);
