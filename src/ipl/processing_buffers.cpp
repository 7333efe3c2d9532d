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

// Allocates (or keeps) a canvas-sized buffer and optionally fills it from
// the current layer with `fill` (a read-out export taking buffer and row bytes).
void allocate_canvas_buffer(Plane8& buffer, int channels, void (*fill)(unsigned char*, int))
{
    Engine& e = engine();
    const std::size_t bytes = canvas_bytes(e, channels);
    if (bytes == 0) {
        buffer.reset();
        return;
    }
    require(ensure_buffer(buffer, bytes));
    if (fill) fill(buffer.data(), e.canvas.width * channels);
}

void free_buffer(Plane8& buffer) noexcept { buffer.reset(); }

void set_buffer(Plane8& buffer, const unsigned char* rgba)
{
    Engine& e = engine();
    if (!rgba || !buffer) return;
    const std::size_t bytes = canvas_bytes(e, 4);
    std::memcpy(buffer.data(), rgba, bytes < buffer.bytes() ? bytes : buffer.bytes());
}

bool valid_work_index(int index) noexcept { return index >= 0 && index < 4; }

}  // namespace

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API void MVE_IPLAllocSrcBuffer32(void)
{
    guarded("IPLAllocSrcBuffer32 Excpt", [] { allocate_canvas_buffer(engine().ipl.src32, 4, MVE_GetRGBA32); });
}

MVE_API void MVE_IPLUpdateSrcBuffer32(void)
{
    guarded("IPLAllocSrcBuffer32 Excpt", [] {
        Engine& e = engine();
        if (std::uint8_t* src = canvas_rgba32(e, e.ipl.src32))
            core::read_current_rgba32(e, src, e.canvas.width * 4);
    });
}

MVE_API void MVE_IPLSetSrcBuffer32(const unsigned char* rgba)
{
    guarded("IPLAllocSrcBuffer32 Excpt", [rgba] { set_buffer(engine().ipl.src32, rgba); });
}

MVE_API void MVE_ApplyMaskToAlpha_IPLSrcRGBA(void)
{
    Engine& e = engine();
    if (std::uint8_t* src = canvas_rgba32(e, e.ipl.src32))
        if (e.mask.enabled)
            mask::apply_to_alpha_rect(e, src, e.canvas.width * 4, 0, 0, e.canvas.width - 1,
                                      e.canvas.height - 1);
}

MVE_API void MVE_IPLFreeSrcBuffer32(void)
{
    guarded("IPLFreeSrcBuffer32 Excpt", [] { free_buffer(engine().ipl.src32); });
}

MVE_API void MVE_IPLAllocDstBuffer32(void)
{
    guarded("IPLAllocDstBuffer32 Excpt", [] { allocate_canvas_buffer(engine().ipl.dst32, 4, nullptr); });
}

MVE_API void MVE_IPLSetDstBuffer32(const unsigned char* rgba)
{
    guarded("IPLAllocDstBuffer32 Excpt", [rgba] { set_buffer(engine().ipl.dst32, rgba); });
}

MVE_API void MVE_IPLFreeDstBuffer32(void)
{
    guarded("IPLFreeDstBuffer32 Excpt", [] { free_buffer(engine().ipl.dst32); });
}

MVE_API void MVE_IPLAllocSrcBuffer24(void)
{
    guarded("IPLAllocSrcBuffer24 Excpt", [] { allocate_canvas_buffer(engine().ipl.src24, 3, MVE_GetRGB24); });
}

MVE_API void MVE_IPLFreeSrcBuffer24(void)
{
    guarded("IPLFreeSrcBuffer24 Excpt", [] { free_buffer(engine().ipl.src24); });
}

MVE_API void MVE_IPLAllocDstBuffer24(void)
{
    guarded("IPLAllocDstBuffer24 Excpt", [] { allocate_canvas_buffer(engine().ipl.dst24, 3, nullptr); });
}

MVE_API void MVE_IPLFreeDstBuffer24(void)
{
    guarded("IPLFreeDstBuffer24 Excpt", [] { free_buffer(engine().ipl.dst24); });
}

MVE_API void MVE_ToolAllocSrcBuffer32(void)
{
    guarded("ToolAllocSrcBuffer32 Excpt", [] { allocate_canvas_buffer(engine().ipl.toolSrc32, 4, MVE_GetRGBA32); });
}

MVE_API void MVE_ToolFreeSrcBuffer32(void)
{
    guarded("ToolFreeSrcBuffer32 Excpt", [] { free_buffer(engine().ipl.toolSrc32); });
}

MVE_API void MVE_ToolAllocDstBuffer32(void)
{
    guarded("ToolAllocDstBuffer32 Excpt", [] { allocate_canvas_buffer(engine().ipl.toolDst32, 4, nullptr); });
}

MVE_API void MVE_ToolFreeDstBuffer32(void)
{
    guarded("ToolFreeDstBuffer32 Excpt", [] { free_buffer(engine().ipl.toolDst32); });
}

MVE_API void MVE_IPLAllocWrkBuffer(int index)
{
    guarded("IPLAllocWrkBuffer32 Excpt", [index] {
        if (!valid_work_index(index)) return;
        Engine& e = engine();
        const std::size_t bytes = canvas_bytes(e, 4);
        Plane8& slot = e.ipl.work[index];
        if (bytes == 0) {
            slot.reset();
            return;
        }
        require(ensure_buffer(slot, bytes));
    });
}

MVE_API void MVE_IPLFreeWrkBuffer32(int index)
{
    guarded("IPLFreeWrkBuffer32 Excpt", [index] {
        if (valid_work_index(index)) engine().ipl.work[index].reset();
    });
}

MVE_API void MVE_IPLFreeAllWrkBuffer32(void)
{
    guarded("IPLFreeWrkBuffer32 Excpt", [] {
        for (Plane8& slot : engine().ipl.work) slot.reset();
    });
}

MVE_API void MVE_IPLInit(int /*ignored*/)
{
    guarded("IPLInit Excpt", [] { require(il::initialize() != 0); });
}

MVE_API void MVE_IPLExit(void) { il::shutdown(); }

}  // extern "C"
