// The shared steps of the dispatcher's blocks (see steps.h).
#include "dispatch/steps.h"

#include <algorithm>
#include <utility>

#include "core/blend_modes.h"
#include "core/guard.h"
#include "core/merge_layers.h"
#include "core/runtime.h"
#include "core/transfer.h"
#include "ipl/processing_buffers.h"

namespace mve::dispatch {

void refresh_source(Frame& f) noexcept
{
    ipl::update_source_rgba32(f.e);
}

namespace {

// Whether Dst32 held the current layer's content, on this canvas, when the
// call began. Generations are never shared by different content, so an equal
// generation means the same pixels even when the layer was moved since.
bool destination_holds_layer(const Frame& f) noexcept
{
    const DestinationBuffer::Mirror& m = f.destinationMirror;
    const LayerRecord* layer = current_layer(f.e);
    if (m.generation == 0 || !layer || layer->pixels.generation() != m.generation) return false;
    const Extent ext = canvas_extent(f.e, *layer);
    return m.width == f.width && m.height == f.height && ext.width == f.width && ext.height == f.height;
}

}  // namespace

void refresh_source_for_overwrite(Frame& f) noexcept
{
    if (!fast_paths_enabled() || !destination_holds_layer(f)) {
        refresh_source(f);
        return;
    }
    std::swap(f.e.ipl.src32, f.e.ipl.dst32.write());
    std::swap(f.src32, f.dst32);
}

void pre_filter(Frame& f, std::uint8_t* buffer) noexcept
{
    core::premultiply_rgba32(buffer, f.width, f.height);
}

void post_filter(Frame& f, std::uint8_t* buffer) noexcept
{
    core::unpremultiply_rgba32(buffer, f.width, f.height);
}

void replace_write_back(Frame& f, const std::uint8_t* buffer) noexcept
{
    core::load_rgba32_into_current(f.e, buffer, f.row32(), true);
}

void final_replace_write_back(Frame& f, const std::uint8_t* buffer) noexcept
{
    const bool exact = core::load_rgba32_into_current(f.e, buffer, f.row32(), true);
    const LayerRecord* layer = current_layer(f.e);
    if (exact && layer && buffer == f.e.ipl.dst32.read().data())
        f.e.ipl.dst32.note_mirror(layer->pixels.generation(), f.width, f.height);
}

void merge_write_back(Frame& f, std::uint8_t* buffer, int mode, int opacity)
{
    LayerRecord* layer = current_layer(f.e);
    if (!layer || !buffer) return;
    // A number that names no blend mode merges as Normal.
    if (mode < 0 || mode >= kBlendModeCount) mode = kNormal;
    core::cover_rgba32(buffer, f.width, f.height);
    const Extent rows = canvas_extent(f.e, *layer);
    if (rows.empty()) return;
    require(merge_rgba32_into_plane(buffer, f.width, rows.height, layer->pixels.begin_write(), layer->stride,
                                    mode, std::clamp(opacity, 0, 256), layer->lockAlpha != 0));
}

void builtin(Frame& f, const char* name, int chain, const ipl::EffectArgs& args)
{
    (void)f;
    ipl::run_named_effect(name, chain, args);
}

void builtin(Frame& f, const char* name, int chain)
{
    builtin(f, name, chain, f.builtin_args());
}

ipl::EffectArgs with_p1(const Frame& f, int p1) noexcept
{
    ipl::EffectArgs args = f.builtin_args();
    args.p[0] = p1;
    return args;
}

ipl::EffectArgs with_p2(const Frame& f, int p2) noexcept
{
    ipl::EffectArgs args = f.builtin_args();
    args.p[1] = p2;
    return args;
}

int opacity_from(float f) noexcept
{
    const double v = static_cast<double>(f) * 2.559;
    return v <= 0 ? 0 : v >= 255 ? 255 : static_cast<int>(v);
}

}  // namespace mve::dispatch
