// Running one plug-in on the processing buffers.
#include "core/transfer.h"
#include "imagelib/image_script.h"
#include "ipl/plugin_host.h"
#include "ipl/plugin_host_loader.h"
#include "ipl/processing_buffers.h"

namespace mve::ipl {

namespace {

// The engine never asks a plug-in to stop.
int never_cancel(void*, int, int)
{
    return 0;
}

// Sets the current layer's lock alpha for one write and restores it after.
class LockAlphaFor {
public:
    LockAlphaFor(LayerRecord* layer, bool lock) : layer_(layer), saved_(layer ? layer->lockAlpha : 0)
    {
        if (layer_ && lock) layer_->lockAlpha = 1;
    }
    ~LockAlphaFor()
    {
        if (layer_) layer_->lockAlpha = saved_;
    }
    LockAlphaFor(const LockAlphaFor&) = delete;
    LockAlphaFor& operator=(const LockAlphaFor&) = delete;

private:
    LayerRecord* layer_;
    std::uint8_t saved_;
};

constexpr int kNotRun = -1;

}  // namespace

int run_photoshop_plugin(const char* path, int mode)
{
    Engine& e = engine();
    std::uint8_t* src = canvas_rgba32(e, e.ipl.src32);
    std::uint8_t* dst = canvas_rgba32(e, e.ipl.dst32.write());
    if (!src || !dst) return kNotRun;
    const LoadedPlugin plugin(path);
    if (!plugin.info()) return kNotRun;
    const int W = e.canvas.width, H = e.canvas.height;
    const bool colourOnly = (mode & 0xFF) == 1;

    update_source_rgba32(e);
    il::swap_red_blue(src, W, H, W * 4);  // plug-ins see B, G, R, A
    const MvePluginImage source{W, H, src, W};
    MvePluginImage destination{W, H, dst, W};
    const int result =
        plugin.info()->run(&source, &destination, colourOnly ? MVE_PLUGIN_MODE_COLOUR : MVE_PLUGIN_MODE_FULL,
                           never_cancel, nullptr);
    il::swap_red_blue(src, W, H, W * 4);  // later steps read Src32 as R, G, B, A again
    if (result != MVE_PLUGIN_OK) return result;

    il::swap_red_blue(dst, W, H, W * 4);
    const LockAlphaFor lock(current_layer(e), colourOnly);
    core::load_rgba32_into_current(e, dst, W * 4, true);
    return MVE_PLUGIN_OK;
}

}  // namespace mve::ipl
