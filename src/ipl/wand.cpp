// The magic wand: a selection of the pixels that match the clicked one, by
// colour (connected or not), by a range of colour, luminance, hue or HSL, or
// by alpha. Mode texts are compared exactly.
#include <algorithm>
#include <cstring>

#include "core/guard.h"
#include "core/pixel_queries.h"
#include "core/transfer.h"
#include "ipl/fill_region.h"
#include "ipl/fills.h"
#include "ipl/processing_buffers.h"
#include "mask/mask_creators.h"
#include "morvane/morvane.h"
#include "undo/undo_store.h"

namespace mve::ipl {

namespace {

enum class WandMode {
    ColourAll,
    ColourRange,
    LuminanceRange,
    HueRange,
    HslRange,
    Connected,
    AlphaConnected,
    AlphaAll,
    Unknown
};

WandMode wand_mode(const char* mode) noexcept
{
    struct Entry {
        const char* text;
        WandMode mode;
    };
    static constexpr Entry kModes[] = {
        {"Non-connected", WandMode::ColourAll},
        {"Color Range", WandMode::ColourRange},
        {"Luminance Range", WandMode::LuminanceRange},
        {"Hue Range", WandMode::HueRange},
        {"HSL Range", WandMode::HslRange},
        {"Connected", WandMode::Connected},
        {"Alpha Connected", WandMode::AlphaConnected},
        {"Alpha Non-connected", WandMode::AlphaAll},
    };
    if (!mode) return WandMode::Unknown;
    for (const Entry& entry : kModes)
        if (std::strcmp(mode, entry.text) == 0) return entry.mode;
    return WandMode::Unknown;
}

}  // namespace

bool mask_wand(Engine& e, int x, int y, int tolerance, int strength, const char* mode)
{
    const int W = e.canvas.width, H = e.canvas.height;
    if (x < 0 || y < 0 || x >= W || y >= H) return false;
    Plane8 region;
    if (!region.allocate(canvas_bytes(e, 1))) return true;
    if (!current_layer(e)) return true;

    ToolSourceScope source(e);
    const std::uint8_t* tool = source.pixels;
    if (!tool) return true;

    const PixelView view{tool, W, H, 4, W * 4};
    const double tol = colour_tolerance(tolerance);
    const int range = range_percent(tolerance);
    const int level = percent_to_level(strength);
    const std::uint8_t* seedPx = view.at(x, y);
    const int R = seedPx[0], G = seedPx[1], B = seedPx[2];

    // The colour modes select exactly the pixels a key-colour flood would
    // mark, so the region plane goes to the Mask directly.
    switch (wand_mode(mode)) {
        case WandMode::ColourAll:
            match_region(view, Rgb{R, G, B}, tol, region.data());
            mask::create_from_flood_mask(e, region.data(), level);
            break;
        case WandMode::Connected:
            flood_region(view, x, y, tol, region.data());
            mask::create_from_flood_mask(e, region.data(), level);
            break;
        case WandMode::ColourRange:
            mask::create_from_rgba_color_range(e, tool, R, G, B, range, level);
            break;
        case WandMode::LuminanceRange:
            mask::create_from_rgba_luminance_range(e, tool, R, G, B, range, level);
            break;
        case WandMode::HueRange:
            mask::create_from_rgba_hue_range(e, tool, R, G, B, range, level);
            break;
        case WandMode::HslRange: {
            const double t = std::clamp(tolerance, 0, kMaxTolerance) * 0.00002;
            mask::create_from_rgba_hsl_range(e, tool, R, G, B, t, t, t, level);
            break;
        }
        case WandMode::AlphaConnected: {
            Plane8 grey;
            require(grey.allocate(canvas_bytes(e, 3)));
            core::read_current_alpha_rgb24(e, grey.data(), W * 3);
            flood_region(PixelView{grey.data(), W, H, 3, W * 3}, x, y, tol, region.data());
            mask::create_from_flood_mask(e, region.data(), level);
            break;
        }
        case WandMode::AlphaAll:
            mask::create_from_rgba_alpha_range(e, tool, core::channel_at(e, x, y, 3) >> 8, range, level);
            break;
        case WandMode::Unknown:
            break;
    }
    return true;
}

}  // namespace mve::ipl

using namespace mve;

extern "C" {

MVE_API void MVE_IPLMaskWand(int x, int y, int tolerance, int strength, const char* mode)
{
    Engine& e = engine();
    bool onCanvas = true;
    guarded("IPLMaskWand Excpt", [&] { onCanvas = ipl::mask_wand(e, x, y, tolerance, strength, mode); });
    if (onCanvas) undo_mark_all_dirty(e);
}

}  // extern "C"
