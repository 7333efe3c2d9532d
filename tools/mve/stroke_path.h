// Stroke walker of the demo host: lays dabs along a smooth curve through the
// host's pointer samples, the way a paint program turns a pen drag into
// MVE_DrawDabGrit calls. The walker only does geometry and pressure maths;
// what a dab does with the engine is the caller's callback.
#pragma once

#include <functional>
#include <vector>

namespace mve_host {

// One pointer sample: canvas position and pen pressure 0..1.
struct StrokePoint {
    double x = 0, y = 0;
    double pressure = 1;
};

// How pressure turns into dab size and opacity, and how far apart dabs lie.
struct StrokeStyle {
    int size = 32;           // diameter in pixels at full pressure
    int alpha = 100;         // opacity in percent at full pressure
    double spacing = 0.25;   // distance between dabs as a fraction of the current diameter
    double minSize = 1.0;    // diameter at zero pressure, as a fraction of size
    double minAlpha = 1.0;   // opacity at zero pressure, as a fraction of alpha
    double taperIn = 0;      // fraction of the stroke over which pressure rises from 0
    double taperOut = 0;     // fraction of the stroke over which pressure falls to 0
};

// What the walker hands to the callback for every dab.
struct StrokeDab {
    double x = 0, y = 0;  // canvas position (the caller rounds it)
    double angle = 0;     // direction of travel in degrees, atan2(dy, dx): 0 = right, 90 = down
    double t = 0;         // arc-length fraction along the stroke, 0..1
    double pressure = 0;  // effective pressure after the tapers
    int size = 1;         // diameter of this dab, at least 1
    int alpha = 1;        // opacity of this dab in percent, at least 1
};

using DabCallback = std::function<void(const StrokeDab&)>;

// Walks a Catmull-Rom curve through the points (end points repeated, so the
// curve starts and ends on them) and calls onDab at every spacing step of arc
// length; the step follows the size of the dab just placed, never below one
// pixel. A single point gives one dab; no points give none. Returns the number
// of dabs placed.
int walk_stroke(const std::vector<StrokePoint>& points, const StrokeStyle& style, const DabCallback& onDab);

// Size and opacity of a dab at pressure p (0..1) for the style.
int dab_size(const StrokeStyle& style, double pressure);
int dab_alpha(const StrokeStyle& style, double pressure);

// Pressure after the tapers at arc-length fraction t.
double tapered_pressure(const StrokeStyle& style, double pressure, double t);

}  // namespace mve_host
