// The dispatcher's frame: what every call does before and after the one
// block its name selects.
#include "dispatch/dispatch.h"

#include <cstring>

#include "core/guard.h"
#include "core/random.h"
#include "ipl/processing_buffers.h"
#include "morvane/morvane.h"
#include "undo/undo_store.h"

namespace mve::dispatch {

std::uint8_t* Frame::temporary(int channels)
{
    auto plane = std::make_unique<Plane8>();
    require(pixels() > 0 && plane->allocate(pixels() * static_cast<std::size_t>(channels)));
    std::memset(plane->data(), 0, plane->bytes());
    temporaries_.push_back(std::move(plane));
    return temporaries_.back()->data();
}

ipl::EffectArgs Frame::builtin_args() const noexcept
{
    ipl::EffectArgs out;
    for (int k = 0; k < 6; ++k) out.p[k] = a.p[k];
    for (int k = 0; k < 8; ++k) out.i[k] = a.i[k];
    out.r = a.r, out.g = a.g, out.b = a.b;
    return out;
}

const Entry* find_entry(const char* name) noexcept
{
    if (!name) return nullptr;
    for (const Entry& entry : registry())
        if (std::strcmp(entry.name, name) == 0) return &entry;
    return nullptr;
}

namespace {

Arguments make_arguments(int seed, const int p[6], const int i[8], int r, int g, int b,
                         const char* text) noexcept
{
    Arguments a;
    // A seed of 0 asks for one: the engine's C-runtime generator picks it.
    a.seed = seed != 0 ? seed : crt_rand() % 32767;
    for (int k = 0; k < 6; ++k) {
        a.p[k] = p[k];
        a.f[k] = static_cast<float>(p[k] * 0.1);
    }
    for (int k = 0; k < 8; ++k) a.i[k] = i[k];
    a.r = r, a.g = g, a.b = b;
    a.text = text;
    return a;
}

// The common end: every temporary is freed with the frame; the RGB24 buffers
// go too, and the whole canvas is marked dirty so the host's next undo save
// records whatever changed.
void common_end(Engine& e) noexcept
{
    e.ipl.src24.reset();
    e.ipl.dst24.reset();
    undo_mark_all_dirty(e);
}

}  // namespace

int image_process(Engine& e, const char* name, int seed, const int p[6], const int i[8], int r, int g, int b,
                  const char* text) noexcept
{
    Arguments a = make_arguments(seed, p, i, r, g, b, text);
    // Whatever the call does, the note on Dst32 is the frame's from here on.
    const DestinationBuffer::Mirror mirror = e.ipl.dst32.take_mirror();
    if (!canvas_rgba32(e, e.ipl.src32) || !canvas_rgba32(e, e.ipl.dst32.write())) return 0;
    // The packed colour takes the low byte of each component, so an
    // out-of-range component cannot spill into its neighbour.
    a.colour = static_cast<std::uint32_t>(r & 0xFF) | static_cast<std::uint32_t>(g & 0xFF) << 8 |
               static_cast<std::uint32_t>(b & 0xFF) << 16;
    {
        Frame f(e, a);
        f.width = e.canvas.width;
        f.height = e.canvas.height;
        f.src32 = e.ipl.src32.data();
        f.dst32 = e.ipl.dst32.write().data();
        f.destinationMirror = mirror;
        guarded("IPLImageProc Excpt", [&] {
            if (const Entry* entry = find_entry(name)) run_pattern(f, *entry);
        });
    }  // temporaries freed here
    common_end(e);
    return 1;
}

}  // namespace mve::dispatch

using namespace mve;

extern "C" {

MVE_API int MVE_IPLImageProcess(int /*ignored*/, const char* effectName, int seed, int p1, int p2, int p3,
                                int p4, int p5, int p6, int i1, int i2, int i3, int i4, int i5, int i6,
                                int i7, int i8, int r, int g, int b, const char* text)
{
    const int p[6] = {p1, p2, p3, p4, p5, p6};
    const int i[8] = {i1, i2, i3, i4, i5, i6, i7, i8};
    return guarded("IPLImageProc Excpt", 1,
                   [&] { return dispatch::image_process(engine(), effectName, seed, p, i, r, g, b, text); });
}

MVE_API int MVE_IPLEffectCount(void)
{
    return static_cast<int>(dispatch::registry().size());
}

MVE_API const char* MVE_IPLEffectInfo(int index, const char** family, const char** pattern)
{
    const auto entries = dispatch::registry();
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) return nullptr;
    const dispatch::Entry& entry = entries[static_cast<std::size_t>(index)];
    if (family) *family = entry.family;
    if (pattern) *pattern = dispatch::pattern_label(entry.pattern);
    return entry.name;
}

}  // extern "C"
