// The slots of the undo store: levels, clearing, reduction, counts, the dirty
// rectangle and the plane views the copies work on.
#include "undo/undo_store.h"

#include <algorithm>

#include "core/guard.h"
#include "morvane/morvane.h"

namespace mve {

namespace {

void lower_usage(UndoStore& store, long long kb) noexcept { store.usageKB = std::max(0LL, store.usageKB - kb); }

int levels_in_use(const UndoStore& store) noexcept { return std::clamp(store.levels, 0, kUndoSlotCount); }

}  // namespace

long long underlayer_usage_kb(const CanvasState& canvas) noexcept
{
    return static_cast<long long>(canvas.width) * canvas.height * 10 / 1024;
}

long long slot_area(const UndoSlot& slot) noexcept
{
    return static_cast<long long>(slot.rect.x1 - slot.rect.x0 + 1) * (slot.rect.y1 - slot.rect.y0 + 1);
}

long long release_slot(UndoStore& store, UndoSlot& slot, std::uint8_t maskEnabled) noexcept
{
    const long long area = slot_area(slot);
    long long kb = 0;
    if (slot.pixels) kb += area * 8 / 1024;
    if (slot.mask) kb += area * 2 / 1024;
    lower_usage(store, kb);
    slot = UndoSlot{};
    slot.maskEnabled = maskEnabled;
    return kb;
}

void release_undo_planes(Engine& e) noexcept
{
    UndoStore& store = e.undo;
    store.under.pixels.reset();
    store.under.mask.reset();
    store.under.maskEnabled = e.mask.enabled;
    store.under.rect = Rect4{};
    for (auto& slot : store.slots) release_slot(store, slot, e.mask.enabled);
    store.slotLayer.fill(0);
    store.redoDepth = 0;
}

bool allocate_underlayer(Engine& e) noexcept
{
    const std::size_t pixels = static_cast<std::size_t>(e.canvas.width) * e.canvas.height;
    return e.undo.under.pixels.allocate(pixels * 4) && e.undo.under.mask.allocate(pixels);
}

void undo_reset_dirty(Engine& e) noexcept { e.undo.dirty = Rect4{e.canvas.width - 1, e.canvas.height - 1, 0, 0}; }

void undo_mark_all_dirty(Engine& e) noexcept { e.undo.dirty = Rect4{0, 0, e.canvas.width - 1, e.canvas.height - 1}; }

void undo_widen_dirty(Engine& e, int x0, int y0, int x1, int y1) noexcept
{
    Rect4& d = e.undo.dirty;
    d.x0 = std::min(d.x0, x0);
    d.y0 = std::min(d.y0, y0);
    d.x1 = std::max(d.x1, x1);
    d.y1 = std::max(d.y1, y1);
}

PlaneView current_layer_view(Engine& e) noexcept
{
    LayerRecord* layer = e.layers.current;
    if (!layer || !layer->present() || layer->width <= 0 || layer->height <= 0) return PlaneView{};
    if (layer->pixels.size() < static_cast<std::size_t>(layer->width) * layer->height * 4) return PlaneView{};
    // Only read through (PlaneView has no const form); writers take
    // current_layer_write_view, which gives the layer a new generation.
    return PlaneView{const_cast<std::uint16_t*>(layer->pixels.data()), layer->width, layer->height, 4};
}

PlaneView current_layer_write_view(Engine& e) noexcept
{
    const PlaneView view = current_layer_view(e);
    if (view) e.layers.current->pixels.begin_write();
    return view;
}

namespace {

// A canvas-sized plane of `channels` values per pixel, or empty when the
// buffer is absent or not of the canvas size.
PlaneView canvas_view(const CanvasState& c, Plane16& plane, int channels) noexcept
{
    const std::size_t need = static_cast<std::size_t>(c.width) * c.height * channels;
    if (!plane || need == 0 || plane.size() < need) return PlaneView{};
    return PlaneView{plane.data(), c.width, c.height, channels};
}

}  // namespace

PlaneView mask_view(Engine& e) noexcept
{
    const std::size_t need = static_cast<std::size_t>(e.canvas.width) * e.canvas.height;
    if (!e.mask.plane || need == 0 || e.mask.plane.size() < need) return PlaneView{};
    // A view for reading: writers take mask_write_view, which gives the
    // Mask a new content generation.
    return PlaneView{const_cast<std::uint16_t*>(e.mask.plane.data()), e.canvas.width, e.canvas.height, 1};
}

PlaneView mask_write_view(Engine& e) noexcept
{
    const PlaneView view = mask_view(e);
    if (view) e.mask.plane.begin_write();
    return view;
}
PlaneView under_pixels_view(Engine& e) noexcept { return canvas_view(e.canvas, e.undo.under.pixels, 4); }
PlaneView under_mask_view(Engine& e) noexcept { return canvas_view(e.canvas, e.undo.under.mask, 1); }

void save_undo_back_buffer(Engine& e, int index) noexcept
{
    if (e.undo.paused || !valid_layer_index(index)) return;
    LayerRecord& layer = e.layers.table[index];
    const PlaneView under = under_pixels_view(e);
    if (layer.present() && under &&
        layer.pixels.size() >= static_cast<std::size_t>(layer.width) * layer.height * 4) {
        const PlaneView from{const_cast<std::uint16_t*>(layer.pixels.data()), layer.width, layer.height, 4};
        copy_plane_rect(from, Rect4{0, 0, layer.width - 1, layer.height - 1}, under);
    }
    const PlaneView mask = mask_view(e);
    const PlaneView underMask = under_mask_view(e);
    if (mask && underMask) copy_plane_rect(mask, Rect4{0, 0, mask.width - 1, mask.height - 1}, underMask);
}

namespace undo {

void clear(Engine& e) noexcept
{
    guarded("ClearUndo Excpt", [&] {
        UndoStore& store = e.undo;
        undo_reset_dirty(e);
        store.paused = 0;
        store.redoDepth = 0;
        for (auto& slot : store.slots) release_slot(store, slot, e.mask.enabled);
        store.slotLayer.fill(0);
        // Only an UnderLayer that exists is counted (none after deletion).
        const bool underHeld = store.under.pixels || store.under.mask;
        store.usageKB = underHeld ? underlayer_usage_kb(e.canvas) : 0;
        if (e.layers.current) save_undo_back_buffer(e, e.layers.currentIndex);
        update_automatic_budget(e);
    });
}

void reduce(Engine& e, int kb) noexcept
{
    guarded("ReduceUndo Excpt", [&] {
        remove_abandoned_steps(e);
        UndoStore& store = e.undo;
        long long total = 0;
        // Oldest first. Mask-only steps count too: skipping them would free
        // newer steps while an older one stays held but out of reach.
        for (int n = levels_in_use(store) - 1; n >= 0 && total < kb; --n) {
            UndoSlot& slot = store.slots[n];
            if (slot.holds_any()) total += release_slot(store, slot, e.mask.enabled);
        }
    });
}

bool can_undo(const UndoStore& store) noexcept
{
    return store.redoDepth >= 0 && store.redoDepth < levels_in_use(store) &&
           store.slots[store.redoDepth].holds_any();
}

bool can_redo(const UndoStore& store) noexcept
{
    return store.redoDepth != 0;
}

int set_levels(Engine& e, int n) noexcept
{
    clear(e);
    e.undo.levels = std::clamp(n, 0, kUndoSlotCount);
    return e.undo.levels;
}

void on_canvas_created(Engine& e)
{
    require(allocate_underlayer(e));
    clear(e);
    e.undo.usageKB = underlayer_usage_kb(e.canvas);
}

void on_canvas_released(Engine& e) noexcept
{
    release_undo_planes(e);
    clear(e);
    e.undo.usageKB = 0;
}

}  // namespace undo

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API int MVE_SetUndoLevels(int n)
{
    return undo::set_levels(engine(), n);
}

MVE_API void MVE_ClearUndo(void)
{
    undo::clear(engine());
}

MVE_API void MVE_PauseUndo(void)
{
    engine().undo.paused = 1;
}
MVE_API void MVE_ResumeUndo(void)
{
    engine().undo.paused = 0;
}

MVE_API void MVE_InvalidateDirtyUndoCanvas(void)
{
    undo_mark_all_dirty(engine());
}

MVE_API int MVE_CanUndo(void)
{
    return undo::can_undo(engine().undo) ? 1 : 0;
}

MVE_API int MVE_CanRedo(void)
{
    return undo::can_redo(engine().undo) ? 1 : 0;
}

MVE_API int MVE_GetUndoCount(void)
{
    return undo_held_steps();
}

MVE_API int MVE_GetRedoCount(void)
{
    return engine().undo.redoDepth;
}

MVE_API void MVE_ReduceUndo(int kb)
{
    undo::reduce(engine(), kb);
}

}  // extern "C"
