// The steps blocks are made of: refreshing Src32 from the current layer, the
// premultiply pair around spatial filters, the two write-backs (replace and
// merge) and a call of the built-in effect runner.
#pragma once

#include <cstdint>

#include "dispatch/dispatch.h"

namespace mve::dispatch {

// The current layer into Src32 again.
void refresh_source(Frame& f) noexcept;
// The same for an operation that writes all of Dst32 before it reads any of
// it: when Dst32 still holds the current layer byte for byte (as the previous
// call's final write-back noted), the two buffers change places instead of
// the layer being read again.
void refresh_source_for_overwrite(Frame& f) noexcept;
// Colours scaled by alpha before a spatial filter and back after it, so that
// transparent pixels do not bleed their colour into their neighbours.
void pre_filter(Frame& f, std::uint8_t* buffer) noexcept;
void post_filter(Frame& f, std::uint8_t* buffer) noexcept;

// Replace write-back: a canvas-sized RGBA32 buffer becomes the current
// layer's content, through the Mask and texture.
void replace_write_back(Frame& f, const std::uint8_t* buffer) noexcept;
// The replace write-back as a pattern's last step: when the buffer is Dst32
// and the layer now holds it exactly, Dst32 is noted as holding the layer's
// new content. Nothing may write Dst32 after it within the call.
void final_replace_write_back(Frame& f, const std::uint8_t* buffer) noexcept;
// Merge write-back: the buffer's alpha is scaled by the Mask and texture (the
// buffer changes), then it is merged over the current layer with `mode`,
// `opacity` (0..255) and the layer's lock alpha; a mode outside 0..53 is
// taken as Normal (0). Throws Failure when the
// merge plane cannot be allocated.
void merge_write_back(Frame& f, std::uint8_t* buffer, int mode, int opacity);

// One call of the built-in runner on Src32 -> Dst32; chain 1 works on Dst32
// as the previous step left it.
void builtin(Frame& f, const char* name, int chain, const ipl::EffectArgs& args);
// The same with the call's own arguments.
void builtin(Frame& f, const char* name, int chain);
// The call's arguments with p1 (or p2) replaced, in slider units: 300 is the
// real 0.3 the built-in effect reads.
ipl::EffectArgs with_p1(const Frame& f, int p1) noexcept;
ipl::EffectArgs with_p2(const Frame& f, int p2) noexcept;

// Opacity 0..255 from a slider 0..1000: trunc(f * 2.559).
int opacity_from(float f) noexcept;

}  // namespace mve::dispatch
