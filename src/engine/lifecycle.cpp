// The canvas lifecycle: creation, a new size and deletion. Each subsystem
// builds and frees its own per-canvas state in a hook; the lifecycle only
// runs the hooks, in the fixed order of the table (release in reverse).
#include <iterator>

#include "core/canvas.h"
#include "core/guard.h"
#include "core/layers.h"
#include "engine/engine.h"
#include "mask/mask_ops.h"
#include "morvane/morvane.h"
#include "paint/paint_canvas.h"
#include "platform/clipboard.h"
#include "undo/undo_store.h"
#include "view/view_renderer.h"

namespace mve {

namespace {

struct SubsystemHooks {
    const char* name;
    void (*created)(Engine&);            // builds what it holds per canvas; throws Failure when it cannot
    void (*released)(Engine&) noexcept;  // frees it again (deletion, and before a new size)
};

// Creation order. The paint resources come first, so an allocation failure
// stops creation before the Mask or the UnderLayer are built.
constexpr SubsystemHooks kSubsystems[] = {
    {"paint", paint::on_canvas_created, paint::on_canvas_released},
    {"mask", mask::on_canvas_created, mask::on_canvas_released},
    {"view", [](Engine& e) { view::on_canvas_created(e.view); }, nullptr},
    {"undo", undo::on_canvas_created, undo::on_canvas_released},
    {"core", [](Engine& e) { core::on_canvas_created(e); },
     [](Engine& e) noexcept { core::on_canvas_released(e); }},
    {"ipl", [](Engine& e) { e.ipl.release_processing(); },
     [](Engine& e) noexcept { e.ipl.release_processing(); }},
};

void create_all(Engine& e)
{
    for (const SubsystemHooks& s : kSubsystems)
        if (s.created) s.created(e);
}

void release_all(Engine& e) noexcept
{
    for (auto s = std::rbegin(kSubsystems); s != std::rend(kSubsystems); ++s)
        if (s->released) s->released(e);
}

// Builds every per-canvas plane for the size just stored. A failure part way
// frees them all again: no plane may outlive it with the size of an older
// canvas (a brush shape of the old maximum brush size read as the new one).
void rebuild_all(Engine& e)
{
    try {
        create_all(e);
    } catch (...) {
        release_all(e);
        throw;
    }
}

// The maximum brush size is the one size the host gives without a clamp of
// its own: a negative one or one above kMaxBrushSizeLimit is refused with the
// export's failure text, and nothing changes.
void require_brush_size(int maxBrushSize)
{
    require(maxBrushSize >= 0 && maxBrushSize <= core::kMaxBrushSizeLimit);
}

}  // namespace

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API void MVE_CreateImage(void* hostWindow, int width, int height, int maxBrushSize, int creationOption)
{
    guarded("CreateImage Excpt", [&] {
        require_brush_size(maxBrushSize);
        Engine& e = engine();
        release_all(e);
        core::store_canvas_size(e, hostWindow, width, height, maxBrushSize, creationOption);
        core::drop_layer_planes(e);
        rebuild_all(e);
    });
}

MVE_API void MVE_NewSize(void* hostWindow, int width, int height, int maxBrushSize, int creationOption)
{
    guarded("NewSize Excpt", [&] {
        require_brush_size(maxBrushSize);
        Engine& e = engine();
        release_all(e);
        core::store_canvas_size(e, hostWindow, width, height, maxBrushSize, creationOption);
        rebuild_all(e);
    });
}

MVE_API void MVE_DeleteImage(void)
{
    guarded("DeleteImage Excpt", [] {
        Engine& e = engine();
        release_all(e);
        for (int i = 0; i < kLayerCount; ++i) core::delete_layer(e, i);
        // The clipboard's service thread ends with the canvas (a new size keeps it).
        platform::stop_clipboard_service(e.platform);
    });
}

}  // extern "C"
