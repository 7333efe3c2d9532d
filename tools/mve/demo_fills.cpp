// Demo: the one-shot tools on a scratch layer. A four-colour gradient
// background, a drawing of walls whose regions the paint bucket fills, a
// line of text in two faces chosen through the host's font chooser, and a
// magic-wand selection filled through.
#include <cstdio>
#include <string>
#include <vector>

#include "demo.h"
#include "morvane/morvane.h"

namespace {

using namespace mve_host;

constexpr int kLayer = 7;  // a scratch layer, deleted at the end

// The host's font dialog stand-in: it picks the face named in `user`.
int pick_face(char* face, int size, int* height, void* user)
{
    std::snprintf(face, static_cast<std::size_t>(size), "%s", static_cast<const char*>(user));
    *height = 22;
    return 1;
}

// Leaves the canvas as the step found it, whichever way the step ends: the
// scratch layer deleted, the Mask and the current layer restored.
struct ScratchLayer {
    int previous = MVE_GetLayerNum();
    std::vector<unsigned short> mask;
    ScratchLayer(int w, int h) : mask(static_cast<std::size_t>(w) * h) { MVE_GetMaskData16(mask.data()); }
    ~ScratchLayer()
    {
        MVE_DeleteLayer(kLayer);
        MVE_SetMaskData16(mask.data());
        MVE_EnableMask(1);
        MVE_SetLayer(previous);
    }
};

unsigned rgba_at(int x, int y)
{
    return MVE_GetRGBAAtLayer(x, y, kLayer);
}

// Black walls: a frame and a bar through it, leaving two rooms.
void draw_walls(int x0, int y0, int x1, int y1)
{
    MVE_IPLRectangle(0, 0, 0, x0, y0, x1, y1, 100);
    MVE_IPLRectangle(255, 255, 255, x0 + 4, y0 + 4, x1 - 4, y1 - 4, 100);
    const int mid = (x0 + x1) / 2;
    MVE_IPLRectangle(0, 0, 0, mid - 2, y0, mid + 2, y1, 100);
}

bool fills_and_text(DemoContext& ctx)
{
    const int w = ctx.width, h = ctx.height;
    if (!check(w >= 200 && h >= 120, "canvas from the canvas step")) return false;
    if (!check(MVE_CreateLayer(kLayer, w, h) == 1, "create layer 7")) return false;
    const ScratchLayer scratch(w, h);
    MVE_SetLayer(kLayer);
    MVE_EnableMask(0);

    // Background: sky blue, white, sand and green from left to right.
    MVE_IPLGradient(90, 150, 230, 255, 255, 255, 230, 200, 140, 60, 140, 60, 4, 0, 0, w - 1, 0, "Linear");
    say("gradient: four colours from (0,0) to (%d,0); at the left 0x%08X, at the right 0x%08X", w - 1,
        rgba_at(0, h / 2), rgba_at(w - 1, h / 2));
    bool ok = check(rgba_at(0, 0) == 0x5A96E6FFu, "first stop at the left edge");

    // The drawing and its two rooms, filled by the paint bucket.
    const int x0 = w / 8, y0 = h / 8, x1 = w / 2, y1 = h / 2;
    draw_walls(x0, y0, x1, y1);
    MVE_IPLFloodFill(230, 60, 60, x0 + 10, y0 + 10, 0, "Paint Connected");
    MVE_IPLFloodFill(250, 200, 40, x1 - 10, y1 - 10, 0, "Paint Connected");
    say("paint bucket: left room 0x%08X, right room 0x%08X, wall 0x%08X", rgba_at(x0 + 10, y1 - 10),
        rgba_at(x1 - 10, y0 + 10), rgba_at(x0 + 1, y0 + 1));
    ok = ok && check(rgba_at(x0 + 10, y1 - 10) == 0xE63C3CFFu, "left room filled red") &&
         check(rgba_at(x1 - 10, y0 + 10) == 0xFAC828FFu, "right room filled yellow") &&
         check(rgba_at(x0 + 1, y0 + 1) == 0x000000FFu, "walls untouched");

    // A line of text in two faces, each chosen through the host's chooser.
    MVE_IPLAllocSrcBuffer32();
    MVE_SetFontChooser(pick_face, const_cast<char*>("DejaVu Sans"));
    ok = ok && check(MVE_ChooseFont() == 1, "choose DejaVu Sans");
    MVE_IPLText(20, 20, 60, x0, y1 + 8, 0, 0, 0, 0, "Fills, shapes", true);
    MVE_SetFontChooser(pick_face, const_cast<char*>("DejaVu Serif"));
    ok = ok && check(MVE_ChooseFont() == 1, "choose DejaVu Serif");
    MVE_IPLText(120, 20, 20, x0, y1 + 36, 0, 0, 0, 0, "and text in a second face", true);
    MVE_SetFontChooser(nullptr, nullptr);
    MVE_IPLFreeSrcBuffer32();
    say("text: two lines in DejaVu Sans and DejaVu Serif at 22 px under the drawing");

    // The wand: everything blocked, then the right room selected (strength 0
    // lets writes through) and a rectangle over the whole canvas filled
    // through the selection.
    MVE_ClearMask(65535, 65535, 65535);
    MVE_IPLMaskWand(x1 - 10, y1 - 10, 2000, 0, "Connected");
    MVE_EnableMask(1);
    MVE_IPLRectangle(40, 120, 220, 0, 0, w, h - 1, 100);
    MVE_EnableMask(0);
    say("wand on the right room and a blue fill through it: room 0x%08X, left room 0x%08X",
        rgba_at(x1 - 10, y0 + 10), rgba_at(x0 + 10, y0 + 10));
    ok = ok && check((rgba_at(x1 - 10, y0 + 10) >> 8 & 0xFF) >= 0xD0, "selected room turned blue") &&
         check(rgba_at(x0 + 10, y0 + 10) == 0xE63C3CFFu, "unselected room kept");

    std::vector<unsigned char> rgba(static_cast<std::size_t>(w) * h * 4);
    MVE_GetRGBA32Layer(rgba.data(), w * 4, kLayer);
    const std::string path = ctx.outDir + "/fills_and_text.png";
    ok = ok && check(write_png(path, rgba.data(), w, h, 4), "write fills_and_text.png");
    say("wrote %s", path.c_str());
    return ok;
}

}  // namespace

MVE_DEMO_STEP(720, "fills, shapes, gradients, text and the wand", fills_and_text);
