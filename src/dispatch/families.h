// The family tables of the dispatcher. Each family file defines one function
// returning its table; families.cpp lists them in dispatch order. A new
// family is its file, one declaration here and one line in that list.
#pragma once

#include <span>

#include "dispatch/dispatch.h"

namespace mve::dispatch {

std::span<const Entry> work_buffer_family() noexcept;
std::span<const Entry> builtin_family() noexcept;
std::span<const Entry> composition_family() noexcept;
std::span<const Entry> gaussian_blur_family() noexcept;
std::span<const Entry> own_block_family() noexcept;
std::span<const Entry> polygon_warp_family() noexcept;
std::span<const Entry> noise_family() noexcept;
std::span<const Entry> library_blur_family() noexcept;
std::span<const Entry> transform_family() noexcept;
std::span<const Entry> rank_filter_family() noexcept;
std::span<const Entry> glow_family() noexcept;
std::span<const Entry> hosted_family() noexcept;
std::span<const Entry> generator_family() noexcept;
std::span<const Entry> texture_family() noexcept;
std::span<const Entry> script_effect_family() noexcept;
std::span<const Entry> script_distortion_family() noexcept;
std::span<const Entry> tone_family() noexcept;
std::span<const Entry> colour_family() noexcept;
std::span<const Entry> magick_family() noexcept;
std::span<const Entry> artistic_family() noexcept;
std::span<const Entry> edge_family() noexcept;

}  // namespace mve::dispatch
