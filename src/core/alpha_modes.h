// The alpha-mode step of modes 32..53: before blending as Normal (40 and 41
// as Texturize2), an alpha mode rewrites the source colour or alpha. Shared
// by the merge core, MVE_MergePixel and the view renderer.
//
// Values are 16-bit (0..65535); `a` is the effective source alpha after the
// layer mask and the level; O is the engine's alpha-layer opacity.
#pragma once

#include <cstdint>

namespace mve {

// Rewrites (r, g, b, a) for `mode` with the same-alpha-mode flag off and
// returns the blend mode of the stages that follow: 28 for 40 and 41, 0 for
// the other alpha modes, `mode` itself below 32 (nothing rewritten).
int alpha_mode_step(int mode, std::uint32_t& r, std::uint32_t& g, std::uint32_t& b, std::uint32_t& a,
                    std::uint32_t O) noexcept;

// The same-alpha-mode flag on (an alpha-mode layer merged into a layer of the
// same mode): no colour rewrite for 32..50; may drop `a` to 0 or set
// `clearDestAlpha` so the source replaces the destination; 51..53 behave as
// with the flag off. Returns the blend mode: 1 (Multiply) for 43, 47 and 48,
// otherwise as alpha_mode_step.
int alpha_mode_step_same(int mode, std::uint32_t& r, std::uint32_t& g, std::uint32_t& b, std::uint32_t& a,
                         std::uint32_t O, bool& clearDestAlpha) noexcept;

}  // namespace mve
