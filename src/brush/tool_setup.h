// The compound tool setter: settings, the 20 grit patterns and the brush shape.
#pragma once

#include "engine/engine.h"

namespace mve {

// Grit patterns from tool random tables A and B (dots of gritDotSize cells).
// Uses and advances the engine's generator; false when a table or pattern is
// absent (nothing is built then).
bool build_generated_grit(Engine& e) noexcept;

// Grit patterns cut at random from a grey picture made of an image-script
// or image file. False when no picture could be made; the patterns are then
// left as they were.
bool build_grit_from_file(Engine& e, const char* path) noexcept;

// Copies the S x S block of grey bytes at (x0, y0) of a W x H picture into a
// grit pattern (row stride D, later rows written after earlier ones), skipping
// what lies outside the picture or the pattern.
void copy_grit_block(const std::uint8_t* grey, int width, int height, int x0, int y0, int side,
                     std::uint8_t* pattern, std::size_t patternBytes, int stride) noexcept;

namespace brush {

// The whole tool set-up: stores the settings (mix mode back to plain paint),
// builds the grit patterns from the reseeded generator and then from
// `gritSource` when one is named, rebuilds the brush shape from `shapePath`
// and clears the one-shot flags and the Mask maker.
void set_tool(Engine& e, float shapeIntensity, int gritDotSize, int gritDotThreshold, int gritPixelThreshold,
              int softness, int colorVary, int drawingLength, int blendStrength,
              int blendPrimaryColorStrength, int blendRemix, int reservedB, int shapeOption, int reservedA,
              const char* gritSource, const char* shapePath, int shapeAngle);

// Copies grit pattern `index` into out; returns its byte count, or 0 for an
// index outside 0..19, a null out or an absent pattern.
int get_grit_pattern(const PaintResources& p, int index, unsigned char* out) noexcept;

}  // namespace brush

}  // namespace mve
