// The one process-wide engine record. Each subsystem keeps its own plain
// state struct; this record only aggregates them. Exports read the global
// through engine(); internal functions take what they need as arguments
// where that keeps them testable.
#pragma once

#include "brush/brush_state.h"
#include "core/canvas_state.h"
#include "core/layer_state.h"
#include "core/random.h"
#include "ipl/ipl_state.h"
#include "mask/mask_state.h"
#include "paint/image_brush_state.h"
#include "paint/paint_state.h"
#include "undo/undo_state.h"

namespace mve {

constexpr int kLastErrorSize = 512;

struct Engine {
    CanvasState canvas;
    ViewState view;
    LayerStack layers;
    UndoStore undo;
    MaskState mask;
    TextureState texture;
    PaintResources paint;
    BlendBufferState blend;
    ImageBrushState imageBrush;
    BrushSettings brush;
    ProcessingBuffers ipl;
    RandomTables random;
    char lastError[kLastErrorSize] = {};
};

Engine& engine() noexcept;

}  // namespace mve
