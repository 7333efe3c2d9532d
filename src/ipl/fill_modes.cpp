// The paint bucket: six modes chosen by exact text, all working on ToolSrc32
// (the current layer as RGBA32) and ending with the masked write-back.
#include <cstring>

#include "core/guard.h"
#include "core/layer_alpha.h"
#include "core/parallel.h"
#include "core/pixel_queries.h"
#include "core/transfer.h"
#include "ipl/fill_region.h"
#include "ipl/fills.h"
#include "ipl/processing_buffers.h"
#include "morvane/morvane.h"
#include "undo/undo_store.h"

namespace mve::ipl {

namespace {

enum class FillMode { PaintAll, EraseAll, PaintConnected, EraseConnected, AlphaConnected, AlphaAll, Unknown };

FillMode fill_mode(const char* mode) noexcept
{
    struct Entry {
        const char* text;
        FillMode mode;
    };
    static constexpr Entry kModes[] = {
        {"Paint Non-connected", FillMode::PaintAll},
        {"Erase Non-connected", FillMode::EraseAll},
        {"Paint Connected", FillMode::PaintConnected},
        {"Erase Connected", FillMode::EraseConnected},
        {"Paint Alpha Connected", FillMode::AlphaConnected},
        {"Paint Alpha Non-Connected", FillMode::AlphaAll},
    };
    if (!mode) return FillMode::Unknown;
    for (const Entry& entry : kModes)
        if (std::strcmp(mode, entry.text) == 0) return entry.mode;
    return FillMode::Unknown;
}

// The background (layer 1) and the layers above 253 are never made
// transparent: the erase modes paint there instead.
bool layer_may_erase(int index) noexcept
{
    return index != 1 && index <= 253;
}

// Erased pixels take the key colour (a colour found nowhere in the layer)
// at alpha 0, so that no remaining pixel shares their colour.
void erase_region(std::uint8_t* tool, const PixelView& view, const std::uint8_t* region)
{
    Rgb key;
    require(find_key_colour(view, &key));
    paint_region(tool, view.width, view.height, region, key, 0);
}

// The region of pixels whose alpha (as a grey picture) is within tol of the
// seed's and 4-connected to it.
void alpha_region(Engine& e, int x, int y, double tol, std::uint8_t* region)
{
    const int W = e.canvas.width, H = e.canvas.height;
    Plane8 grey;
    require(grey.allocate(canvas_bytes(e, 3)));
    core::read_current_alpha_rgb24(e, grey.data(), W * 3);
    flood_region(PixelView{grey.data(), W, H, 3, W * 3}, x, y, tol, region);
}

}  // namespace

ToolSourceScope::ToolSourceScope(Engine& e) : e_(e)
{
    allocate_source_rgba32(e, e.ipl.toolSrc32);
    pixels = canvas_rgba32(e, e.ipl.toolSrc32);
}

ToolSourceScope::~ToolSourceScope()
{
    e_.ipl.toolSrc32.reset();
}

bool flood_fill(Engine& e, int r, int g, int b, int x, int y, int tolerance, const char* mode)
{
    const int W = e.canvas.width, H = e.canvas.height;
    if (x < 0 || y < 0 || x >= W || y >= H) return false;
    if (!current_layer(e)) return true;
    const FillMode how = fill_mode(mode);
    if (how == FillMode::Unknown) return true;

    ToolSourceScope source(e);
    std::uint8_t* tool = source.pixels;
    if (!tool) return true;

    const PixelView view{tool, W, H, 4, W * 4};
    const double tol = colour_tolerance(tolerance);
    const Rgb fill{r & 0xFF, g & 0xFF, b & 0xFF};
    const Rgb seed{core::channel_at(e, x, y, 0) >> 8, core::channel_at(e, x, y, 1) >> 8,
                   core::channel_at(e, x, y, 2) >> 8};
    const bool erase = layer_may_erase(e.layers.currentIndex);
    Plane8 region;
    require(region.allocate(canvas_bytes(e, 1)));

    switch (how) {
        case FillMode::PaintAll:
        case FillMode::EraseAll:
            match_region(view, seed, tol, region.data());
            // Painting replaces the colour and keeps each pixel's alpha.
            if (how == FillMode::EraseAll && erase)
                erase_region(tool, view, region.data());
            else
                paint_region(tool, W, H, region.data(), fill, -1);
            break;
        case FillMode::PaintConnected:
        case FillMode::EraseConnected:
            flood_region(view, x, y, tol, region.data());
            if (how == FillMode::EraseConnected && erase)
                erase_region(tool, view, region.data());
            else
                paint_region(tool, W, H, region.data(), fill, 255);
            break;
        case FillMode::AlphaConnected:
            // The background layer has no transparency to fill.
            if (e.layers.currentIndex <= 1) return true;
            alpha_region(e, x, y, tol, region.data());
            colour_from_flood_mask(e, tool, region.data(), r, g, b, 255);
            break;
        case FillMode::AlphaAll:
            core::replace_alpha_range(e, tool, core::channel_at(e, x, y, 3) >> 8, range_percent(tolerance), r,
                                      g, b, 255);
            break;
        case FillMode::Unknown:
            return true;
    }
    core::load_rgba32_into_current(e, tool, W * 4, true);
    return true;
}

void colour_from_flood_mask(Engine& e, std::uint8_t* rgba, const std::uint8_t* mask8, int r, int g, int b,
                            int a) noexcept
{
    if (!rgba || !mask8) return;
    paint_region(rgba, e.canvas.width, e.canvas.height, mask8, Rgb{r & 0xFF, g & 0xFF, b & 0xFF}, a & 0xFF);
    undo_mark_all_dirty(e);
}

}  // namespace mve::ipl

using namespace mve;

extern "C" {

MVE_API void MVE_IPLFloodFill(int r, int g, int b, int x, int y, int tolerance, const char* mode)
{
    Engine& e = engine();
    bool onCanvas = true;
    guarded("IPLFloodFill Excpt", [&] { onCanvas = ipl::flood_fill(e, r, g, b, x, y, tolerance, mode); });
    if (onCanvas) undo_mark_all_dirty(e);
}

MVE_API void MVE_ColorRGBA32FromFloodMask(unsigned char* rgba, const unsigned char* mask8, int r, int g,
                                          int b, int a)
{
    ipl::colour_from_flood_mask(engine(), rgba, mask8, r, g, b, a);
}

}  // extern "C"
