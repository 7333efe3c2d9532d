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

// The layer count follows every call that creates a layer or swaps one into
// the table (creation, both swaps, the options): loops over layers 1..count
// then never miss a present layer, whatever order the host called in.
void recount_layers(LayerStack& layers) noexcept;

// Largest side of a plane the engine creates, and whether width x height is a
// size it creates at all: not negative, each side at most kMaxPlaneSide, and
// no more pixels than the runtime's pixel limit.
constexpr int kMaxPlaneSide = 1 << 16;
bool plane_size_allowed(long long width, long long height) noexcept;

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

// Exchanges two whole records (pixels and settings); nothing when either
// index is outside the table or both are the same.
void swap_layers(CoreState& e, int a, int b) noexcept;

// Sets visibility, lock alpha, opacity (percent * 2.56) and the blend mode by
// name, level 255, and recounts the stack. Leaving Texturize frees the texture
// plane; a visible Texturize layer other than the current one builds it (its
// result, 0 with "CreateTexture Excpt" on failure). Otherwise the blend mode;
// 0 for an index outside the table.
int set_layer_options(CoreState& e, int index, int visible, int lockAlpha, int opacityPercent,
                      const char* modeName) noexcept;

// The alpha-layer opacity O read by the alpha modes: percent of 65535.
int set_alpha_layer_opacity(CoreState& e, int percent) noexcept;

// Width and height of layer `index` into the out-parameters (0, 0 when it
// is absent); 1 when it has pixels, else 0.
int layer_size(CoreState& e, int index, int* width, int* height) noexcept;

// How many layers (0..271) have pixels.
int layer_count(const CoreState& e) noexcept;

// Clears the PaintLayer's pixels to transparent black and empties its
// extents (nothing without a plane).
void clear_paint_layer(CoreState& e) noexcept;

// Makes the PaintLayer (canvas-sized and cleared when it has no plane yet; a
// failed allocation leaves it without one) and sets its opacity (percent *
// 2.56), level (percent * 2.559) and blend mode by name; returns the mode.
int create_paint_layer(CoreState& e, int opacityPercent, int levelPercent, const char* modeName) noexcept;

// The older clear: the plane filled with 0xFF, then only the part of the
// extents that lies on it cleared to 0; the extents emptied.
void clear_paint_layer_old(CoreState& e) noexcept;

// Records the PaintLayer's extents as given (x0, y0, x1, y1).
void set_paint_layer_extents(CoreState& e, int x0, int y0, int x1, int y1) noexcept;

// Exchanges the PaintLayer record with layer `index` (nothing outside the table).
void swap_paint_layer(CoreState& e, int index) noexcept;
}  // namespace core

}  // namespace mve
