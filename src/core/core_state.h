// The document the bottom layer works on: canvas and view settings, the layer
// stack with its PaintLayer, the selection Mask, the texture plane and the
// random tables, plus the last-error text. The engine record (engine/engine.h)
// extends it with every other subsystem's state; code in core sees only this
// part, so nothing below the engine record reaches upwards.
#pragma once

#include "core/canvas_state.h"
#include "core/layer_state.h"
#include "core/mask_state.h"
#include "core/random.h"
#include "core/texture.h"

namespace mve {

constexpr int kLastErrorSize = 512;

struct CoreState {
    CanvasState canvas;
    ViewState view;
    LayerStack layers;
    MaskState mask;
    TextureState texture;
    RandomTables random;
    char lastError[kLastErrorSize] = {};
};

// The core part of the one process-wide engine record (defined where the
// record is assembled, engine/engine.cpp).
CoreState& core_state() noexcept;

}  // namespace mve
