// The processing, tool and work buffers (allocate, refresh, set, free) and
// the start and stop of the image libraries.
#include "ipl/processing_buffers.h"

#include <cstring>

#include "core/guard.h"
#include "core/transfer.h"
#include "imagelib/library.h"
#include "mask/mask_ops.h"
#include "morvane/morvane.h"

namespace mve {

bool ensure_buffer(Plane8& buffer, std::size_t bytes) noexcept
{
    if (buffer && buffer.bytes() == bytes) return true;
    buffer.reset();
    if (bytes == 0) return false;
    if (!buffer.allocate(bytes)) return false;
    // Zeroed so a canvas without a current layer still yields defined pixels.
    std::memset(buffer.data(), 0, bytes);
    return true;
}

namespace {

bool valid_work_index(int index) noexcept
{
    return index >= 0 && index < 4;
}

}  // namespace

namespace ipl {

std::uint8_t* allocate_canvas_buffer(Engine& e, Plane8& buffer, int channels)
{
    const std::size_t bytes = canvas_bytes(e, channels);
    if (bytes == 0) {
        buffer.reset();
        return nullptr;
    }
    require(ensure_buffer(buffer, bytes));
    return buffer.data();
}

void allocate_source_rgba32(Engine& e, Plane8& buffer)
{
    if (std::uint8_t* pixels = allocate_canvas_buffer(e, buffer, 4))
        core::read_current_rgba32(e, pixels, e.canvas.width * 4);
}

void allocate_source_rgb24(Engine& e, Plane8& buffer)
{
    if (std::uint8_t* pixels = allocate_canvas_buffer(e, buffer, 3))
        core::read_current_rgb24(e, pixels, e.canvas.width * 3);
}

void update_source_rgba32(Engine& e) noexcept
{
    if (std::uint8_t* src = canvas_rgba32(e, e.ipl.src32))
        core::read_current_rgba32(e, src, e.canvas.width * 4);
}

void set_canvas_buffer(Engine& e, Plane8& buffer, const std::uint8_t* rgba) noexcept
{
    if (!rgba || !buffer) return;
    const std::size_t bytes = canvas_bytes(e, 4);
    std::memcpy(buffer.data(), rgba, bytes < buffer.bytes() ? bytes : buffer.bytes());
}

void apply_mask_to_source_alpha(Engine& e)
{
    if (std::uint8_t* src = canvas_rgba32(e, e.ipl.src32))
        if (e.mask.enabled)
            mask::apply_to_alpha_rect(e, src, e.canvas.width * 4, 0, 0, e.canvas.width - 1,
                                      e.canvas.height - 1);
}

void allocate_work_buffer(Engine& e, int index)
{
    if (!valid_work_index(index)) return;
    const std::size_t bytes = canvas_bytes(e, 4);
    Plane8& slot = e.ipl.work[index];
    if (bytes == 0) {
        slot.reset();
        return;
    }
    require(ensure_buffer(slot, bytes));
}

void free_work_buffer(ProcessingBuffers& buffers, int index) noexcept
{
    if (valid_work_index(index)) buffers.work[index].reset();
}

void free_all_work_buffers(ProcessingBuffers& buffers) noexcept
{
    for (Plane8& slot : buffers.work) slot.reset();
}

void start_image_libraries()
{
    require(il::initialize() != 0);
}

}  // namespace ipl

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API void MVE_IPLAllocSrcBuffer32(void)
{
    guarded("IPLAllocSrcBuffer32 Excpt", [] { ipl::allocate_source_rgba32(engine(), engine().ipl.src32); });
}

MVE_API void MVE_IPLUpdateSrcBuffer32(void)
{
    guarded("IPLAllocSrcBuffer32 Excpt", [] { ipl::update_source_rgba32(engine()); });
}

MVE_API void MVE_IPLSetSrcBuffer32(const unsigned char* rgba)
{
    guarded("IPLAllocSrcBuffer32 Excpt",
            [rgba] { ipl::set_canvas_buffer(engine(), engine().ipl.src32, rgba); });
}

MVE_API void MVE_ApplyMaskToAlpha_IPLSrcRGBA(void)
{
    ipl::apply_mask_to_source_alpha(engine());
}

MVE_API void MVE_IPLFreeSrcBuffer32(void)
{
    guarded("IPLFreeSrcBuffer32 Excpt", [] { engine().ipl.src32.reset(); });
}

MVE_API void MVE_IPLAllocDstBuffer32(void)
{
    guarded("IPLAllocDstBuffer32 Excpt",
            [] { ipl::allocate_canvas_buffer(engine(), engine().ipl.dst32.write(), 4); });
}

MVE_API void MVE_IPLSetDstBuffer32(const unsigned char* rgba)
{
    guarded("IPLAllocDstBuffer32 Excpt",
            [rgba] { ipl::set_canvas_buffer(engine(), engine().ipl.dst32.write(), rgba); });
}

MVE_API void MVE_IPLFreeDstBuffer32(void)
{
    guarded("IPLFreeDstBuffer32 Excpt", [] { engine().ipl.dst32.write().reset(); });
}

MVE_API void MVE_IPLAllocSrcBuffer24(void)
{
    guarded("IPLAllocSrcBuffer24 Excpt",
            [] { ipl::allocate_source_rgb24(engine(), engine().ipl.src24); });
}

MVE_API void MVE_IPLFreeSrcBuffer24(void)
{
    guarded("IPLFreeSrcBuffer24 Excpt", [] { engine().ipl.src24.reset(); });
}

MVE_API void MVE_IPLAllocDstBuffer24(void)
{
    guarded("IPLAllocDstBuffer24 Excpt",
            [] { ipl::allocate_canvas_buffer(engine(), engine().ipl.dst24, 3); });
}

MVE_API void MVE_IPLFreeDstBuffer24(void)
{
    guarded("IPLFreeDstBuffer24 Excpt", [] { engine().ipl.dst24.reset(); });
}

MVE_API void MVE_ToolAllocSrcBuffer32(void)
{
    guarded("ToolAllocSrcBuffer32 Excpt",
            [] { ipl::allocate_source_rgba32(engine(), engine().ipl.toolSrc32); });
}

MVE_API void MVE_ToolFreeSrcBuffer32(void)
{
    guarded("ToolFreeSrcBuffer32 Excpt", [] { engine().ipl.toolSrc32.reset(); });
}

MVE_API void MVE_ToolAllocDstBuffer32(void)
{
    guarded("ToolAllocDstBuffer32 Excpt",
            [] { ipl::allocate_canvas_buffer(engine(), engine().ipl.toolDst32, 4); });
}

MVE_API void MVE_ToolFreeDstBuffer32(void)
{
    guarded("ToolFreeDstBuffer32 Excpt", [] { engine().ipl.toolDst32.reset(); });
}

MVE_API void MVE_IPLAllocWrkBuffer(int index)
{
    guarded("IPLAllocWrkBuffer32 Excpt", [index] { ipl::allocate_work_buffer(engine(), index); });
}

MVE_API void MVE_IPLFreeWrkBuffer32(int index)
{
    guarded("IPLFreeWrkBuffer32 Excpt", [index] { ipl::free_work_buffer(engine().ipl, index); });
}

MVE_API void MVE_IPLFreeAllWrkBuffer32(void)
{
    guarded("IPLFreeWrkBuffer32 Excpt", [] { ipl::free_all_work_buffers(engine().ipl); });
}

MVE_API void MVE_IPLInit(int /*ignored*/)
{
    guarded("IPLInit Excpt", [] { ipl::start_image_libraries(); });
}

MVE_API void MVE_IPLExit(void) { il::shutdown(); }

}  // extern "C"
