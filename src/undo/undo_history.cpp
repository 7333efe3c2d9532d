// Walking the history: undo, redo, the fade of the last undone step and the
// colour read of the history plane.
#include <algorithm>

#include "core/guard.h"
#include "core/layers.h"
#include "core/pixel_queries.h"
#include "morvane/morvane.h"
#include "undo/undo_store.h"

namespace mve {

namespace {

// Makes the slot's layer current (which also refreshes the UnderLayer from
// it). False when that layer cannot be made current (it was deleted):
// its pixels must then not be swapped into whichever layer is current.
bool switch_to_slot_layer(Engine& e, int slotLayer) noexcept
{
    if (slotLayer != e.layers.currentIndex) undo::select_layer(e, slotLayer);
    return slotLayer == e.layers.currentIndex && current_layer_view(e);
}

// The three copies of pixels and, when asked, of the mask between slot n,
// the canvas and the UnderLayer. Slot n then holds the state it replaced.
void exchange_step(Engine& e, int n, bool withMask) noexcept
{
    UndoStore& store = e.undo;
    const bool layerReady = switch_to_slot_layer(e, store.slotLayer[n]);
    UndoSlot& slot = store.slots[n];
    if (slot.pixels && layerReady)
        exchange_through_slot(slot.pixels.data(), slot.rect, current_layer_write_view(e),
                              under_pixels_view(e));
    if (withMask && slot.mask)
        exchange_through_slot(slot.mask.data(), slot.rect, mask_write_view(e), under_mask_view(e));
}

}  // namespace

namespace undo {

void select_layer(Engine& e, int index) noexcept
{
    if (core::select_layer(e, index)) save_undo_back_buffer(e, index);
}

unsigned rgba_at_underlayer(Engine& e, int x, int y)
{
    return core::rgba_at_canvas_plane(x, y, under_pixels_view(e).data);
}

unsigned color_at_underlayer(Engine& e, int x, int y)
{
    return core::color_at_canvas_plane(x, y, under_pixels_view(e).data);
}

unsigned color_at_history(Engine& e, int x, int y)
{
    if (!can_undo(e.undo)) return 0;
    // The surface colour read of the back buffer (null when it is absent: 0).
    return color_at_underlayer(e, x, y);
}

void undo_step(Engine& e) noexcept
{
    UndoStore& store = e.undo;
    if (store.paused || !can_undo(store)) return;
    UndoBusy busy(store);
    exchange_step(e, store.redoDepth, true);
    store.redoDepth += 1;
}

void redo_step(Engine& e) noexcept
{
    UndoStore& store = e.undo;
    if (store.paused || store.redoDepth <= 0) return;
    UndoBusy busy(store);
    store.redoDepth -= 1;
    exchange_step(e, store.redoDepth, true);
}

bool start_fade(Engine& e) noexcept
{
    UndoStore& store = e.undo;
    // While paused the layer switch would not refresh the UnderLayer and
    // the exchange would store a wrong state: do nothing then as well.
    if (store.redoDepth <= 0 || store.paused) return false;
    UndoBusy busy(store);
    // The step most recently undone goes back on the layer; its slot then
    // holds the older state. The mask and the redo depth stay.
    exchange_step(e, store.redoDepth - 1, false);
    return true;
}

}  // namespace undo

}  // namespace mve

using namespace mve;

extern "C" {

// Selecting a layer refreshes the UnderLayer, so the export lives with the store.
MVE_API void MVE_SetLayer(int index)
{
    undo::select_layer(engine(), index);
}

MVE_API unsigned int MVE_GetRGBAAtUnderLayer(int x, int y)
{
    return undo::rgba_at_underlayer(engine(), x, y);
}

MVE_API unsigned int MVE_GetColorAtUnderLayer(int x, int y)
{
    return undo::color_at_underlayer(engine(), x, y);
}

MVE_API void MVE_Undo(void)
{
    guarded("Undo Excpt", [] { undo::undo_step(engine()); });
}

MVE_API void MVE_Redo(void)
{
    guarded("Redo Excpt", [] { undo::redo_step(engine()); });
}

MVE_API int MVE_StartFade(void)
{
    return guarded("StartFade Excpt", 0, [] { return undo::start_fade(engine()) ? 1 : 0; });
}

MVE_API void MVE_UpdateFade(int value) { (void)value; }

// A second name of the same do-nothing operation as MVE_UpdateFade.
MVE_API void MVE_SetGridSpacing(int value)
{
    (void)value;
}

MVE_API void MVE_EndFade(void) {}

MVE_API unsigned int MVE_GetColorAtHistory(int x, int y)
{
    return undo::color_at_history(engine(), x, y);
}

}  // extern "C"
