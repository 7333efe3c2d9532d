// Blocks that hand the layer to another part of the engine: the bump-map
// distortion by the scratch layer, the Lua filter host and the plug-in host.
#include "core/guard.h"
#include "core/layers.h"
#include "core/memory.h"
#include "core/transfer.h"
#include "dispatch/families.h"
#include "dispatch/steps.h"
#include "ipl/displacement.h"
#include "ipl/plugin_host.h"
#include "script/lua_host.h"

namespace mve::dispatch {

namespace {

constexpr int kScratchLayer = 255;

// The layer displaced by the bump map the scratch layer holds: strength f1,
// pixels mapped off the picture in the call's colour. Nothing happens while
// the scratch layer is absent or fully transparent.
bool distort_by_scratch_layer(Frame& f)
{
    int x0 = f.width, y0 = f.height, x1 = 0, y1 = 0;
    if (!present_layer(f.e, kScratchLayer)) return false;
    core::find_data_extents(f.e, kScratchLayer, &x0, &y0, &x1, &y1);
    if (x1 < x0 || y1 < y0) return false;
    std::uint8_t* map = nullptr;
    guarded("GetRGBA32Layer Excpt", [&] {
        map = f.temporary(4);
        core::read_layer_rgba32(f.e, map, f.row32(), kScratchLayer);
    });
    if (!map) return false;
    refresh_source(f);
    pre_filter(f, f.src32);
    ipl::displacement_bump_rgba(map, f.a.f[0], static_cast<int>(f.a.colour));
    return true;
}

// The script named by the text argument, with the call's seed and
// parameters; the host reports its own errors, so the result is not read.
bool lua_filter(Frame& f)
{
    refresh_source(f);
    const int* p = f.a.p;
    const int* i = f.a.i;
    script::run_lua_filter(f.a.text, f.a.seed, p[0], p[1], p[2], p[3], p[4], p[5], i[0], i[1], i[2], i[3], i[4],
                           i[5], i[6], i[7]);
    return true;
}

// The plug-in file named by the text argument; the low byte of i3 chooses
// colour mode (alpha kept) or full mode. The host writes the layer back.
bool photoshop_plugin(Frame& f)
{
    return ipl::run_photoshop_plugin(f.a.text, f.a.i[2]) == 0;
}

constexpr const char* kFamily = "hosted";

constexpr Entry kHosted[] = {
    {"Distort by Scratch Layer", kFamily, Pattern::Own, distort_by_scratch_layer},
    {"Lua Filter", kFamily, Pattern::Own, lua_filter},
    {"Adobe Compatible Plug-ins", kFamily, Pattern::Own, photoshop_plugin},
};

}  // namespace

std::span<const Entry> hosted_family() noexcept { return kHosted; }

}  // namespace mve::dispatch
