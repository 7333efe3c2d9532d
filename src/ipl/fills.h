// The one-shot tools of the processing family: paint bucket, filled shapes,
// gradients, text, the magic wand and the shape selections. Each works on a
// canvas-sized 8-bit buffer and writes back into the current layer or the
// Mask; the callers (the exports) mark the canvas dirty for undo.
#pragma once

#include <cstdint>

#include "engine/engine.h"

namespace mve::ipl {

// Percent 0..100 to a level 0..255: trunc(v * 2.559), so 100 gives 255.
// Percentages outside 0..100 are taken as the nearest end.
constexpr int percent_to_level(int percent) noexcept
{
    return static_cast<int>((percent < 0 ? 0 : percent > 100 ? 100 : percent) * 2.559);
}

// ToolSrc32 refreshed from the current layer for the life of the scope and
// freed at its end (also when a step throws); pixels is null without it.
class ToolSourceScope {
public:
    explicit ToolSourceScope(Engine& e);
    ~ToolSourceScope();
    ToolSourceScope(const ToolSourceScope&) = delete;
    ToolSourceScope& operator=(const ToolSourceScope&) = delete;
    std::uint8_t* pixels = nullptr;

private:
    Engine& e_;
};

// The paint bucket in its six modes (exact texts, fill_modes.cpp). False when
// (x, y) lies off the canvas: nothing happens then, not even the dirty mark.
bool flood_fill(Engine& e, int r, int g, int b, int x, int y, int tolerance, const char* mode);
// Every pixel of canvas-sized RGBA32 whose mask byte is exactly 1 becomes (r, g, b, a).
void colour_from_flood_mask(Engine& e, std::uint8_t* rgba, const std::uint8_t* mask8, int r, int g, int b,
                            int a) noexcept;

// Filled rectangle and ellipse merged over the current layer (shapes.cpp).
// The horizontal span leaves out the second point's column.
void draw_rectangle(Engine& e, int r, int g, int b, int x0, int y0, int x1, int y1, int opacity);
void draw_ellipse(Engine& e, int r, int g, int b, int x0, int y0, int x1, int y1, int opacity);

// Selections: a grey shape combined into the Mask (mask_shapes.cpp).
void mask_rectangle(Engine& e, int x0, int y0, int x1, int y1, int strength, int combineFlag,
                    const char* operation);
void mask_ellipse(Engine& e, int x0, int y0, int x1, int y1, int strength, int combineFlag,
                  const char* operation);

// The magic wand (wand.cpp); false when (x, y) lies off the canvas.
bool mask_wand(Engine& e, int x, int y, int tolerance, int strength, const char* mode);

}  // namespace mve::ipl
