// Plays a paint script back on the engine's current layer, as a paint
// program does with its own brushes and tools (see paint_script.h for the
// format). The canvas (image, layer 1 current) must exist.
#pragma once

#include <functional>
#include <string>

#include "paint_script.h"

namespace mve_host {

struct PlaybackResult {
    int performed = 0;  // commands that changed the engine's state
    int skipped = 0;    // commands mve has no meaning for (reported on stderr)
    ScriptError error;  // line and reason when playback stopped
};

// Performs every command in order; stops at the first command whose values
// are absurd (a brush size outside 1..maxBrush, coordinates far off the
// canvas, an unknown effect, a buffer number outside 0..15). progress gets
// the fraction done after each command. false when playback stopped.
bool play_paint_script(const PaintScript& script, int width, int height, int maxBrush, PlaybackResult& result,
                       const std::function<void(double)>& progress = nullptr);

}  // namespace mve_host
