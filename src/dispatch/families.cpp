// The one list of family tables, in dispatch order, and the registry built
// from it once.
#include "dispatch/families.h"

#include <vector>

namespace mve::dispatch {

namespace {

using FamilyTable = std::span<const Entry> (*)() noexcept;

constexpr FamilyTable kFamilies[] = {
    work_buffer_family,
    builtin_family,
    composition_family,
    gaussian_blur_family,
    own_block_family,
    polygon_warp_family,
    noise_family,
    library_blur_family,
    transform_family,
    rank_filter_family,
    glow_family,
    hosted_family,
    generator_family,
    texture_family,
    script_effect_family,
    script_distortion_family,
    tone_family,
    colour_family,
    magick_family,
    artistic_family,
    edge_family,
};

std::vector<Entry> gather()
{
    std::vector<Entry> all;
    for (FamilyTable table : kFamilies)
        for (const Entry& entry : table()) all.push_back(entry);
    return all;
}

}  // namespace

std::span<const Entry> registry()
{
    static const std::vector<Entry> all = gather();
    return all;
}

}  // namespace mve::dispatch
