// MVE_Render: the composite of each sampled canvas pixel, then the Trace
// image, the checkerboard and the mask tint per output pixel.
#include "view/view_renderer.h"

#include <tmmintrin.h>

#include <cstring>
#include <vector>

#include "core/clip.h"
#include "core/guard.h"
#include "core/parallel.h"
#include "core/runtime.h"
#include "core/transfer.h"
#include "morvane/morvane.h"
#include "view/view_composite.h"
#include "view/view_geometry.h"
#include "view/view_output.h"

namespace mve {

namespace {

// What the output stage of every pixel reads, gathered once per call.
struct OutputSettings {
    const std::uint16_t* trace = nullptr;  // the Trace image when tracing is on
    int traceStride = 0;
    const std::uint16_t* mask = nullptr;  // the Mask when it is shown
    int maskStride = 0;
    std::uint32_t tint[6] = {};
    bool strong = false;
};

OutputSettings output_settings(Engine& e)
{
    OutputSettings o;
    const int width = e.canvas.width, height = e.canvas.height;
    const std::size_t pixels = static_cast<std::size_t>(width) * height;
    const LayerRecord& trace = e.layers.table[0];
    if (e.view.tracingMode && trace.present() && trace.width >= width && trace.height >= height &&
        trace.pixels.size() >=
            static_cast<std::size_t>(height - 1) * trace.stride + static_cast<std::size_t>(width) * 4) {
        o.trace = trace.pixels.data();
        o.traceStride = trace.stride;
    }
    if (e.mask.displayed && e.mask.enabled && e.mask.plane && e.mask.plane.size() >= pixels) {
        o.mask = e.mask.plane.data();
        o.maskStride = width;
    }
    for (int i = 0; i < 6; ++i) o.tint[i] = static_cast<std::uint32_t>(e.mask.tint[i]);
    o.strong = e.mask.strengthFlag != 0;
    return o;
}

// Composites every sample of one canvas row into `samples` (4 values each).
void composite_row(const ViewScene& scene, const ViewGeometry& g, const OutputSettings& o, int canvasRow,
                   ViewComposite* work, std::uint16_t* samples)
{
    ViewRowPointers rows;
    view_row_pointers(scene, canvasRow, rows);
    const std::size_t n = g.sampleColumn.size();
    composite_view_row(scene, rows, g.sampleColumn.data(), n, work, samples);
    if (!o.trace) return;
    const std::uint16_t* trace = o.trace + static_cast<std::size_t>(canvasRow) * o.traceStride;
    for (std::size_t s = 0; s < n; ++s)
        apply_tracing(samples + s * 4, trace + static_cast<std::size_t>(g.sampleColumn[s]) * 4);
}

// Writes output pixel j of the row from its composited sample c, under the
// Mask value m (65535 where nothing is tinted).
inline void write_pixel(const ViewGeometry& g, const OutputSettings& o, int cy, int j, const std::uint16_t* c,
                        std::uint32_t m, std::uint8_t* p) noexcept
{
    std::uint64_t rgba;  // R in the low 16 bits, A in the high 16
    std::memcpy(&rgba, c, sizeof rgba);
    const std::uint32_t A = static_cast<std::uint32_t>(rgba >> 48);
    if (A == 65535 && m == 65535) {
        // Opaque and selected: the high bytes, written B, G, R.
        p[0] = static_cast<std::uint8_t>(rgba >> 40);
        p[1] = static_cast<std::uint8_t>(rgba >> 24);
        p[2] = static_cast<std::uint8_t>(rgba >> 8);
        return;
    }
    std::uint32_t rgb[3] = {c[0], c[1], c[2]};
    const bool odd = checker_odd(g.checkerColumn[j], cy);
    if (A < 65535) apply_checker(rgb, A, odd);
    if (m < 65535) {
        std::uint8_t bytes[3];
        tint_bytes(rgb, m, odd ? o.tint : o.tint + 3, o.strong, bytes);
        p[0] = bytes[2], p[1] = bytes[1], p[2] = bytes[0];
    } else {
        p[0] = static_cast<std::uint8_t>(rgb[2] >> 8);
        p[1] = static_cast<std::uint8_t>(rgb[1] >> 8);
        p[2] = static_cast<std::uint8_t>(rgb[0] >> 8);
    }
}

// Four output pixels whose samples sit side by side: when all four are
// opaque and selected (m: their four Mask values, or null), their high bytes
// go out in one shuffle as B, G, R. Returns false, writing nothing, otherwise.
inline bool write_opaque_quad(const std::uint16_t* c, const std::uint16_t* m, std::uint8_t* p) noexcept
{
    const __m128i ones = _mm_set1_epi16(-1);
    const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c));
    const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c + 8));
    // Alpha is the fourth word of each pixel: bytes 6, 7, 14 and 15 of each half.
    const int opaque = _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(lo, hi), ones));
    if ((opaque & 0xC0C0) != 0xC0C0) return false;
    if (m) {
        const __m128i mv = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(m));
        if ((_mm_movemask_epi8(_mm_cmpeq_epi16(mv, ones)) & 0xFF) != 0xFF) return false;
    }
    // High bytes of B, G, R of two pixels per half: byte offsets 5, 3, 1 and 13, 11, 9.
    const __m128i fromLo = _mm_setr_epi8(5, 3, 1, 13, 11, 9, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m128i fromHi = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, 5, 3, 1, 13, 11, 9, -1, -1, -1, -1);
    const __m128i bytes = _mm_or_si128(_mm_shuffle_epi8(lo, fromLo), _mm_shuffle_epi8(hi, fromHi));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), bytes);
    const int last = _mm_cvtsi128_si32(_mm_srli_si128(bytes, 8));
    std::memcpy(p + 8, &last, 4);
    return true;
}

// Writes one output row from the composited samples. Where output columns
// show consecutive samples and read consecutive Mask values (the 1:1 view),
// runs of opaque, selected pixels go four at a time.
void write_row(const ViewGeometry& g, const OutputSettings& o, const ViewRow& row,
               const std::uint16_t* samples, std::uint8_t* line)
{
    const std::uint16_t* mask = (o.mask && row.maskRow >= 0)
                                    ? o.mask + static_cast<std::size_t>(row.maskRow) * o.maskStride
                                    : nullptr;
    const int cy = row.canvasRow;
    const bool quads = g.samplesInOrder && (!mask || g.maskInOrder) && fast_paths_enabled();
    const std::uint16_t* maskRun = mask && quads ? mask + g.maskColumn[0] : nullptr;
    int j = 0;
    auto one = [&](int k) {
        const std::uint32_t m = mask ? mask[g.maskColumn[k]] : 65535;
        write_pixel(g, o, cy, k, samples + static_cast<std::size_t>(g.outSample[k]) * 4, m,
                    line + static_cast<std::size_t>(k) * 3);
    };
    if (quads) {
        for (; j + 4 <= g.outWidth; j += 4) {
            if (write_opaque_quad(samples + static_cast<std::size_t>(j) * 4, maskRun ? maskRun + j : nullptr,
                                  line + static_cast<std::size_t>(j) * 3))
                continue;
            for (int k = j; k < j + 4; ++k) one(k);
        }
    }
    for (; j < g.outWidth; ++j) one(j);
}

}  // namespace

void render_view(Engine& e, std::uint8_t* dst, std::ptrdiff_t dstStride, int x, int y, int w, int h)
{
    if (!current_layer(e) || !dst) return;
    const CanvasRect r = clip_to_canvas(x, y, w, h, e.canvas.width, e.canvas.height);
    const ViewState& v = e.view;
    const ViewGeometry g = build_view_geometry(r, v.scaleFactor, v.scaleStep, v.viewWidth, v.viewHeight,
                                               e.canvas.width, e.canvas.height);
    if (g.empty() || !stride_holds(dstStride, g.outWidth, 3)) return;
    const ViewScene scene = build_view_scene(e);
    const OutputSettings o = output_settings(e);

    // One row of composited samples per worker, allocated here so the
    // workers never allocate.
    const std::size_t rowValues = g.sampleColumn.size() * 4;
    const int workers = thread_count();
    std::vector<std::uint16_t> scratch(rowValues * static_cast<std::size_t>(workers));
    std::vector<ViewComposite> work(g.sampleColumn.size() * static_cast<std::size_t>(workers));
    const int groups = static_cast<int>(g.rows.size());
    for_each_row(0, groups, g.outWidth * cost::kStack, [&](int i) {
        const std::size_t slot = static_cast<std::size_t>(worker_slot() % workers);
        std::uint16_t* samples = scratch.data() + rowValues * slot;
        const ViewRow& row = g.rows[i];
        composite_row(scene, g, o, row.canvasRow, work.data() + g.sampleColumn.size() * slot, samples);
        for (int out = row.outFirst; out < row.outEnd; ++out)
            write_row(g, o, row, samples, dst + static_cast<std::ptrdiff_t>(out) * dstStride);
    });
}

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API void MVE_Render(unsigned char* dst, int dstStride, int x, int y, int w, int h)
{
    guarded("Render Excpt", [&] { render_view(engine(), dst, dstStride, x, y, w, h); });
}

}  // extern "C"
