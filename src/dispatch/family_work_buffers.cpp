// The four work buffers: the current layer kept aside as RGBA32 and brought
// back by copy, swap, load or merge. i1 picks the buffer; any index outside
// 0..3 does nothing.
#include <cstring>

#include "core/transfer.h"
#include "dispatch/families.h"
#include "dispatch/steps.h"
#include "ipl/processing_buffers.h"

namespace mve::dispatch {

namespace {

// Work buffer i1, canvas-sized (allocated on first use), else null.
std::uint8_t* work_buffer(Frame& f)
{
    const int index = f.a.i[0];
    if (index < 0 || index > 3) return nullptr;
    ipl::allocate_work_buffer(f.e, index);
    return canvas_rgba32(f.e, f.e.ipl.work[static_cast<std::size_t>(index)]);
}

bool copy_to_buffer(Frame& f)
{
    if (std::uint8_t* work = work_buffer(f)) core::read_current_rgba32(f.e, work, f.row32());
    return true;
}

// Layer and buffer exchange contents; the layer's new content passes through
// the Mask and texture.
bool swap_with_buffer(Frame& f)
{
    std::uint8_t* work = work_buffer(f);
    if (!work) return true;
    std::memcpy(f.dst32, work, f.pixels() * 4);
    core::read_current_rgba32(f.e, work, f.row32());
    replace_write_back(f, f.dst32);
    return true;
}

bool load_from_buffer(Frame& f)
{
    if (std::uint8_t* work = work_buffer(f)) replace_write_back(f, work);
    return true;
}

// The buffer is merged with blend mode i2 at opacity trunc(f1 * 2.559); the
// Mask and texture scale the stored buffer's alpha on the way.
bool merge_from_buffer(Frame& f)
{
    if (std::uint8_t* work = work_buffer(f)) merge_write_back(f, work, f.a.i[1], opacity_from(f.a.f[0]));
    return true;
}

constexpr Entry kWorkBuffers[] = {
    {"Copy to Buffer", "work buffers", Pattern::Own, copy_to_buffer},
    {"Swap with Buffer", "work buffers", Pattern::Own, swap_with_buffer},
    {"Load from Buffer", "work buffers", Pattern::Own, load_from_buffer},
    {"Merge from Buffer", "work buffers", Pattern::Own, merge_from_buffer},
};

}  // namespace

std::span<const Entry> work_buffer_family() noexcept { return kWorkBuffers; }

}  // namespace mve::dispatch
