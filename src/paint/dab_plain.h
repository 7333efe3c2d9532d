// The plain-paint row kernel: brush colour laid source-over (mix mode 32)
// with no pick-up, erase, grit, rotation or per-pixel variation — the dab a
// host stamps most. Texture and the Mask (as an alpha cap or as a coverage
// factor) are folded into specialised loops instead of the general kernel.
#pragma once

#include "paint/dab_context.h"

namespace mve {

// The plain kernel for this dab, or null when a setting needs the general one.
RowKernel plain_kernel(const DabContext& cx) noexcept;

}  // namespace mve
