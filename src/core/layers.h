// The layer table: creation, deletion, selection and options.
#pragma once

#include "core/core_state.h"

namespace mve {

// The record at index, or null when the index is outside 0..271.
inline LayerRecord* layer_at(CoreState& e, int index) noexcept
{
    return valid_layer_index(index) ? &e.layers.table[index] : nullptr;
}

// The record at index when it has pixels, else null.
inline LayerRecord* present_layer(CoreState& e, int index) noexcept
{
    LayerRecord* layer = layer_at(e, index);
    return layer && layer->present() ? layer : nullptr;
}

// Copies a mode name into a record when it is shorter than 50 characters.
void store_mode_name(LayerRecord& layer, const char* name) noexcept;

// Highest index 1..271 whose pixels exist, or 1.
int highest_present_layer(const LayerStack& layers) noexcept;

namespace core {

// Creates (or re-clears) layer `index` at width x height: the background
// (index 1) opaque white, every other transparent black. 1 on success; 0 for
// a bad index or size, and 0 with "CreateLayer Excpt" when allocation fails.
int create_layer(CoreState& e, int index, int width, int height) noexcept;
void delete_layer(CoreState& e, int index) noexcept;

// Makes a present layer current: a Texturize layer gives up the texture
// plane, the previous one builds it again when visible. False (nothing
// changed) for an absent layer. The undo store hears of the change from the
// caller (see engine/lifecycle.h).
bool select_layer(CoreState& e, int index) noexcept;

// Clears the PaintLayer's pixels to transparent black and empties its
// extents (nothing without a plane).
void clear_paint_layer(CoreState& e) noexcept;
}  // namespace core

}  // namespace mve
