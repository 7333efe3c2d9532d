// The layer table: creation, deletion, selection and options.
#pragma once

#include "core/engine.h"

namespace mve {

// The record at index, or null when the index is outside 0..271.
inline LayerRecord* layer_at(Engine& e, int index) noexcept
{
    return valid_layer_index(index) ? &e.layers.table[index] : nullptr;
}

// The record at index when it has pixels, else null.
inline LayerRecord* present_layer(Engine& e, int index) noexcept
{
    LayerRecord* layer = layer_at(e, index);
    return layer && layer->present() ? layer : nullptr;
}

// Copies a mode name into a record when it is shorter than 50 characters.
void store_mode_name(LayerRecord& layer, const char* name) noexcept;

// Highest index 1..271 whose pixels exist, or 1.
int highest_present_layer(const LayerStack& layers) noexcept;

}  // namespace mve
