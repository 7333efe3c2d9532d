// Painting glue of the demo host: drives MVE_DrawDabGrit along a walked
// stroke and writes the document composite as a picture. Shared by the
// painting and image-brush demo steps.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "demo.h"
#include "stroke_path.h"

namespace mve_host {

// A brush colour in 16-bit channels, as MVE_DrawDabGrit takes it.
struct Colour16 {
    int r = 0, g = 0, b = 0;
};

// Called before each dab with the rounded centre, for per-dab engine calls
// (one-shot flags, BlendBuffer loads, image-brush frames).
using BeforeDab = std::function<void(const StrokeDab&, int x, int y)>;

// Paints one stroke: per dab sets the drawn size with MVE_SetScaleSize (the
// brush shape stays the one built at full size) and the opacity with
// MVE_SetAlpha, runs before, then draws the dab. Restores full size and the
// style's opacity at the end. Returns the number of dabs.
int draw_stroke(const std::vector<StrokePoint>& points, const StrokeStyle& style, Colour16 colour,
                const BeforeDab& before = nullptr);

// A canvas-sized RGBA64 copy of a layer.
std::vector<unsigned short> read_layer(const DemoContext& ctx, int index);

}  // namespace mve_host
