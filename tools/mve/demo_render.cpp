// Demo: the view renderer. Puts a stroke of soft round blobs into the
// PaintLayer, renders the document through MVE_Render at 1:1, magnified 3x
// and reduced at step 2.5, checks that the three views agree where they show
// the same canvas pixel, and writes them as view_1to1.png, view_3x.png and
// view_step2_5.png.
#include <cmath>
#include <string>
#include <vector>

#include "demo.h"
#include "morvane/morvane.h"

namespace {

using namespace mve_host;

constexpr int kStrokeLayer = 30;  // a spare table entry used to hand pixels to the PaintLayer

// Soft round blobs along a wave, straight RGBA64, alpha falling off to the rim.
void stroke_blobs(std::vector<unsigned short>& plane, int w, int h)
{
    for (int i = 0; i < 7; ++i) {
        const double cx = w * (0.15 + 0.115 * i), cy = h * (0.5 + 0.25 * std::sin(i * 0.9)), r = h * 0.09;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const double t = 1 - std::hypot(x - cx, y - cy) / r;
                if (t <= 0) continue;
                unsigned short* p = &plane[(static_cast<std::size_t>(y) * w + x) * 4];
                const unsigned short a = static_cast<unsigned short>(std::min(1.0, t * 2) * 65535);
                if (a <= p[3]) continue;
                p[0] = 0x1800, p[1] = 0x5000, p[2] = 0xF000, p[3] = a;
            }
    }
}

// Renders (0, 0, w, h) at the given scale into a tight BGR buffer of outW x outH.
std::vector<unsigned char> render(int factor, float step, int w, int h, int outW, int outH)
{
    MVE_SetScale(factor, step);
    std::vector<unsigned char> bgr(static_cast<std::size_t>(outW) * outH * 3, 0);
    MVE_Render(bgr.data(), outW * 3, 0, 0, w, h);
    return bgr;
}

bool write_view(const DemoContext& ctx, const char* name, const std::vector<unsigned char>& bgr, int w, int h)
{
    std::vector<unsigned char> rgb(bgr.size());
    for (std::size_t i = 0; i < bgr.size(); i += 3) rgb[i] = bgr[i + 2], rgb[i + 1] = bgr[i + 1], rgb[i + 2] = bgr[i];
    const std::string path = ctx.outDir + "/" + name;
    say("wrote %s (%dx%d)", path.c_str(), w, h);
    return check(write_png(path, rgb.data(), w, h, 3), name);
}

bool same_pixel(const std::vector<unsigned char>& a, int aStride, int ax, int ay, const std::vector<unsigned char>& b,
                int bStride, int bx, int by)
{
    const unsigned char* p = &a[static_cast<std::size_t>(ay) * aStride + ax * 3];
    const unsigned char* q = &b[static_cast<std::size_t>(by) * bStride + bx * 3];
    return p[0] == q[0] && p[1] == q[1] && p[2] == q[2];
}

bool render_views(DemoContext& ctx)
{
    const int w = ctx.width, h = ctx.height;
    if (!check(w > 0 && h > 0, "canvas from the canvas step")) return false;
    std::vector<unsigned short> plane(static_cast<std::size_t>(w) * h * 4, 0);
    stroke_blobs(plane, w, h);
    if (!check(MVE_CreateLayer(kStrokeLayer, w, h) == 1, "stroke layer")) return false;
    MVE_SetLayerData(plane.data(), kStrokeLayer);
    MVE_SetLayerOptions(kStrokeLayer, 0, 0, 85, "Normal");  // becomes the PaintLayer's opacity and mode
    MVE_SwapPaintLayer(kStrokeLayer);
    MVE_SetLayerOptions(kStrokeLayer, 0, 0, 100, "Normal");  // the old PaintLayer record stays hidden
    MVE_SetLayer(2);
    say("stroke of 7 soft blobs in the PaintLayer over current layer %d", MVE_GetLayerNum());

    MVE_SetViewSize(3 * w, 3 * h);
    const int rw = static_cast<int>(w / 2.5f), rh = static_cast<int>(h / 2.5f);
    const auto one = render(1, 1.0f, w, h, w, h);
    const auto big = render(3, 1.0f, w, h, 3 * w, 3 * h);
    const auto small = render(1, 2.5f, w, h, rw, rh);

    // The magnified view repeats each canvas pixel 3 x 3; the reduced view
    // shows canvas column floor(j * 2.5). Where no checkerboard shows (the
    // background is opaque) the bytes must match the 1:1 view.
    bool agree = true;
    for (int y = 0; y < h; y += 7)
        for (int x = 0; x < w; x += 5) agree &= same_pixel(big, 9 * w, 3 * x + 2, 3 * y + 1, one, 3 * w, x, y);
    for (int i = 0; i < rh; i += 3)
        for (int j = 0; j < rw; j += 3)
            agree &= same_pixel(small, 3 * rw, j, i, one, 3 * w, static_cast<int>(j * 2.5), static_cast<int>(i * 2.5));
    // The first blob's centre shows the stroke's blue over whatever lies beneath.
    const int bx = static_cast<int>(w * 0.15), by = static_cast<int>(h * 0.5);
    const unsigned char* centre = &one[(static_cast<std::size_t>(by) * w + bx) * 3];
    say("1:1 %dx%d, 3x %dx%d, step 2.5 %dx%d; blob centre B,G,R = %d,%d,%d; views agree: %s", w, h, 3 * w, 3 * h, rw,
        rh, centre[0], centre[1], centre[2], agree ? "yes" : "no");
    bool ok = check(agree, "magnified and reduced views sample the 1:1 view") &&
              check(centre[0] > centre[2], "stroke visible at the blob centre");
    ok = ok && write_view(ctx, "view_1to1.png", one, w, h) && write_view(ctx, "view_3x.png", big, 3 * w, 3 * h) &&
         write_view(ctx, "view_step2_5.png", small, rw, rh);

    // Give the PaintLayer its cleared record back and drop the spare layer.
    MVE_SwapPaintLayer(kStrokeLayer);
    MVE_DeleteLayer(kStrokeLayer);
    MVE_SetScale(1, 1.0f);
    return ok;
}

}  // namespace

MVE_DEMO_STEP(400, "view renderer", render_views);
