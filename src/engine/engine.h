// The one process-wide engine record: the core document (core/core_state.h)
// and one plain state struct per subsystem above it. The record only
// aggregates them; every subsystem's functions take what they need (this
// record or its planes) as arguments, and exports read the global through
// engine(). Things that outlive any canvas live in the runtime record
// (core/runtime.h) beside it.
#pragma once

#include "brush/brush_state.h"
#include "brush/spline_state.h"
#include "core/core_state.h"
#include "exchange/exchange_state.h"
#include "imagelib/image_script.h"
#include "imagelib/transforms.h"
#include "ipl/ipl_state.h"
#include "ipl/plugin_state.h"
#include "ipl/text_state.h"
#include "paint/image_brush_state.h"
#include "paint/paint_state.h"
#include "platform/dialogs_state.h"
#include "platform/platform_state.h"
#include "script/script_state.h"
#include "tablet/tablet_state.h"
#include "undo/undo_state.h"

namespace mve {

struct Engine : CoreState {
    UndoStore undo;
    PaintResources paint;
    BlendBufferState blend;
    ImageBrushState imageBrush;
    BrushSettings brush;
    SplineState spline;
    ProcessingBuffers ipl;
    PluginState plugins;
    ipl::TextState text;
    PlatformState platform;
    platform::DialogState dialogs;
    ScriptState script;
    TabletState tablet;
    exchange::ExchangeState exchange;
    il::ImageScriptState imageScripts;
    il::TransformQueue transforms;
};

Engine& engine() noexcept;

// Puts the engine record and the runtime record back to how a new process
// finds them (the unit tests start every test from here). Frees every plane.
void reset_engine() noexcept;

}  // namespace mve
