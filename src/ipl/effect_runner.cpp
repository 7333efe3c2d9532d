// The runner of the built-in named effects and the services they share
// (flush, copy, Mask writes, data extents).
#include "ipl/effect_runner.h"

#include <cstring>

#include "core/guard.h"
#include "core/parallel.h"
#include "core/transfer.h"
#include "engine/engine.h"
#include "morvane/morvane.h"

namespace mve::ipl {

namespace {

std::size_t image_bytes(int width, int height) noexcept
{
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
}

// Fills the block for one run: P = p * 0.001, colour = byte / 255, bounds
// the whole image.
void fill_block(EffectBlock& b, std::uint8_t* src, std::uint8_t* dst, int width, int height, int chain,
                const EffectArgs& args) noexcept
{
    b = EffectBlock{};
    b.src = src;
    b.dst = dst;
    b.width = width;
    b.height = height;
    b.stride = width * 4;
    b.bounds[0] = 0, b.bounds[1] = 0, b.bounds[2] = width - 1, b.bounds[3] = height - 1;
    b.singleBuffer = static_cast<std::uint8_t>(chain != 0);
    b.extra = 0;
    for (int k = 0; k < 6; ++k) b.P[k + 1] = args.p[k] * 0.001;
    for (int k = 0; k < 8; ++k) b.I[k + 1] = args.i[k];
    b.colour[0] = args.r / 255.0;
    b.colour[1] = args.g / 255.0;
    b.colour[2] = args.b / 255.0;
}

// The brush colour as 0..1 from its 16-bit channels (high byte, as every
// 16 -> 8 bit step).
void brush_colour(const Engine& e, double out[3]) noexcept
{
    for (int c = 0; c < 3; ++c) out[c] = (e.brush.color[c] >> 8) / 255.0;
}

// The Mask an effect writes: only for the effects that write it, and only
// when it covers exactly this image. Taking it for writing moves its
// generation on, so other effects leave it untaken.
std::uint16_t* mask_for(Engine& e, const char* name, int width, int height) noexcept
{
    const NamedEffect* entry = find_named_effect_entry(name);
    if (!entry || entry->writeBack != WriteBack::Mask) return nullptr;
    const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (!e.mask.plane || e.mask.plane.size() < n || e.canvas.width != width || e.canvas.height != height)
        return nullptr;
    return e.mask.plane.begin_write();
}

// Runs the effect found for `name` on the filled block; false when none.
bool dispatch(const char* name, EffectBlock& b, const EffectServices& services)
{
    EffectFn fn = find_named_effect(name);
    if (!fn) return false;
    if (!b.src || !b.dst || b.width <= 0 || b.height <= 0) return true;
    EffectRun run(b, services);
    fn(run);
    return true;
}

}  // namespace

const char* named_effect_name(int index) noexcept
{
    return index >= 0 && index < kNamedEffectCount ? kNamedEffects[index].name : nullptr;
}

const NamedEffect* find_named_effect_entry(const char* name) noexcept
{
    if (!name) return nullptr;
    for (const auto& entry : kNamedEffects)
        if (std::strcmp(entry.name, name) == 0) return &entry;
    return nullptr;
}

EffectFn find_named_effect(const char* name) noexcept
{
    const NamedEffect* entry = find_named_effect_entry(name);
    return entry ? entry->run : nullptr;
}

const EffectBlock& named_effect_block() noexcept
{
    return engine().ipl.effectBlock;
}

bool run_named_effect(const char* name, int chain, const EffectArgs& args)
{
    Engine& e = engine();
    const int w = e.canvas.width, h = e.canvas.height;
    const std::size_t need = image_bytes(w, h);
    Plane8& dst = e.ipl.dst32.write();
    if (!e.ipl.src32 || !dst || w <= 0 || h <= 0 || e.ipl.src32.bytes() < need || dst.bytes() < need)
        return false;
    EffectBlock& block = e.ipl.effectBlock;
    fill_block(block, e.ipl.src32.data(), dst.data(), w, h, chain, args);
    if (chain == 0) std::memcpy(block.dst, block.src, need);
    EffectServices services;
    services.writeBack = true;
    services.mask = mask_for(e, name, w, h);
    services.extentsFromLayer = true;
    brush_colour(e, services.brushColour);
    return dispatch(name, block, services);
}

bool run_named_effect_on(const char* name, std::uint8_t* src, std::uint8_t* dst, int width, int height, int chain,
                         const EffectArgs& args)
{
    if (!src || !dst || width <= 0 || height <= 0) return false;
    Engine& e = engine();
    EffectBlock& block = e.ipl.effectBlock;
    fill_block(block, src, dst, width, height, chain, args);
    if (chain == 0 && src != dst) copy_in_parallel(dst, src, image_bytes(width, height));
    EffectServices services;
    services.writeBack = e.canvas.width == width && e.canvas.height == height;
    services.mask = mask_for(e, name, width, height);
    brush_colour(e, services.brushColour);
    return dispatch(name, block, services);
}

void EffectRun::set_mask(int x, int y, double v) noexcept
{
    if (!services_.mask || !inside(x, y)) return;
    services_.mask[static_cast<std::size_t>(y) * b.width + x] =
        static_cast<std::uint16_t>(std::clamp(v, 0.0, 1.0) * 65535.0);
}

void EffectRun::copy() noexcept
{
    if (b.src != b.dst) copy_in_parallel(b.src, b.dst, image_bytes(b.width, b.height));
}

void EffectRun::flush() noexcept
{
    if (services_.writeBack) {
        Engine& e = engine();
        if (LayerRecord* layer = current_layer(e))
            load_rgba32_layer(e, b.dst, b.stride, *layer, 0, 0, b.width, b.height, true);
    }
    copy();
}

void EffectRun::data_extents(int& x0, int& y0, int& x1, int& y1) const noexcept
{
    int bx0 = b.width, by0 = b.height, bx1 = -1, by1 = -1;
    if (services_.extentsFromLayer) {
        Engine& e = engine();
        if (current_layer(e)) core::find_data_extents(e, e.layers.currentIndex, &bx0, &by0, &bx1, &by1);
    } else {
        for (int y = 0; y < b.height; ++y)
            for (int x = 0; x < b.width; ++x)
                if (b.src[offset(x, y) + 3] != 0) {
                    bx0 = std::min(bx0, x), by0 = std::min(by0, y);
                    bx1 = std::max(bx1, x), by1 = std::max(by1, y);
                }
    }
    if (bx0 > bx1 || by0 > by1) {  // nothing found: the whole image
        bx0 = 0, by0 = 0, bx1 = b.width - 1, by1 = b.height - 1;
    }
    x0 = bx0, y0 = by0, x1 = bx1, y1 = by1;
}

int run_builtin_effect(Engine& e, const char* name, std::uint8_t* rgba32, int width, int height, double p1,
                       double p2, double p3, double p4)
{
    if (!rgba32 || width <= 0 || height <= 0 || !find_named_effect(name)) return 0;
    const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    Plane8 dst;
    require(dst.allocate(bytes));
    std::memcpy(dst.data(), rgba32, bytes);
    EffectBlock& b = e.ipl.effectBlock;
    fill_block(b, rgba32, dst.data(), width, height, 0, EffectArgs{});
    b.P[1] = p1, b.P[2] = p2, b.P[3] = p3, b.P[4] = p4;
    EffectServices services;
    brush_colour(e, services.brushColour);
    services.mask = mask_for(e, name, width, height);
    dispatch(name, b, services);
    std::memcpy(rgba32, dst.data(), bytes);
    return 1;
}

}  // namespace mve::ipl

using namespace mve;

extern "C" {

MVE_API int MVE_IPLRunBuiltinEffect(const char* name, unsigned char* rgba32, int width, int height, double p1,
                                    double p2, double p3, double p4)
{
    return guarded("IPLRunBuiltinEffect Excpt", 0, [&] {
        return ipl::run_builtin_effect(engine(), name, rgba32, width, height, p1, p2, p3, p4);
    });
}

}  // extern "C"
