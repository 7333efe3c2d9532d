// Layer storage for host documents: run-length lines of a layer and whole
// layers as compressed RGBA32 blocks. An absent layer (no pixels) gives
// nothing and takes nothing.
#pragma once

#include "core/core_state.h"

namespace mve::exchange {

// Row `row` of layer `layer` as a run-length RGBA line into out; returns its
// length, 0 for a null buffer or a row outside the layer. Putting decodes
// such a line into the row.
int get_layer_line_rle(CoreState& e, unsigned char* out, int layer, int row) noexcept;
void put_layer_line_rle(CoreState& e, const unsigned char* in, int layer, int row) noexcept;

// The layer read out as canvas-sized RGBA32 (high bytes, packed rows) and
// deflated into out as one zlib stream. `level` picks the compression level
// (1..12, anything else the default). Returns the stream length; 0 for an
// absent layer or a null or too small out buffer. Throws Failure when the
// scratch block cannot be had.
int get_layer_compressed(CoreState& e, unsigned char* out, int outCapacity, int layer, int level);

// Inflates a block written by get_layer_compressed into a scratch buffer of
// layer width x height x 4 bytes and loads it at (0, 0), unmasked. The layer
// changes only when the whole block is intact and inflates to exactly that
// size: a corrupt, truncated or differently sized block leaves the layer as
// it was and throws Failure.
void load_layer_compressed(CoreState& e, const unsigned char* in, int inLength, int layer);

}  // namespace mve::exchange
