// The runner of the built-in named effects: fills the process-wide parameter
// block and dispatches on the effect name, exactly and in a fixed order.
#pragma once

#include <cstdint>

#include "ipl/effect_registry.h"
#include "ipl/effects.h"

namespace mve {
struct Engine;
}

namespace mve::ipl {

// The arguments of a run, in the dispatcher's argument order: p1..p6 (0..1000
// maps to P1..P6 = 0.0..1.0), i1..i8, and the colour bytes r, g, b.
struct EffectArgs {
    int p[6] = {};
    int i[8] = {};
    int r = 0, g = 0, b = 0;
};

// The name at a registry index, null outside the registry.
const char* named_effect_name(int index) noexcept;
// The entry of that exact name (first match in dispatch order), else null.
const NamedEffect* find_named_effect_entry(const char* name) noexcept;
// The effect of that exact name (first match in dispatch order), else null.
EffectFn find_named_effect(const char* name) noexcept;

// Runs `name` on Src32 -> Dst32 of the engine. `chain` is the single-buffer
// flag: 0 first copies the whole source into the destination and reads the
// source, 1 reads the destination (a chained step). Flushes write the
// destination back into the current layer through the Mask and texture.
// Without Src32 or Dst32 (or with either smaller than the canvas) nothing
// happens. Returns true when the name is a built-in effect.
bool run_named_effect(const char* name, int chain, const EffectArgs& args);

// The same on caller buffers of width x height RGBA32 pixels (brush shapes).
// A flush writes into the current layer only when the buffers are canvas
// sized; Mask writes reach the Mask only when it has the buffers' size.
bool run_named_effect_on(const char* name, std::uint8_t* src, std::uint8_t* dst, int width, int height, int chain,
                         const EffectArgs& args);

// Runs `name` once on a host RGBA32 buffer of width x height pixels, with
// P1..P4 given directly: the effect reads the buffer and writes a copy, which
// then replaces the buffer. 0 (buffer untouched) for a null buffer, an empty
// size or an unknown name. Throws Failure when the copy cannot be allocated.
int run_builtin_effect(Engine& e, const char* name, std::uint8_t* rgba32, int width, int height, double p1,
                       double p2, double p3, double p4);

// The parameter block of the last run (it lives from one run to the next).
const EffectBlock& named_effect_block() noexcept;

}  // namespace mve::ipl
