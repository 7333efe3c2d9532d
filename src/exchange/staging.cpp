// The staging image and its exports: create, free, the transparency query,
// the getters in the host's pixel layouts and the load into the current layer.
#include <cstring>

#include "core/guard.h"
#include "core/transfer.h"
#include "exchange/exchange.h"
#include "imagelib/resampling.h"
#include "morvane/morvane.h"

namespace mve::exchange {

namespace {

// Bicubic for tiny pictures, where a wide kernel has nothing to work on.
constexpr int kSmallSide = 5;

std::size_t pixel_count(const StagingImage& s) noexcept
{
    return static_cast<std::size_t>(s.width) * static_cast<std::size_t>(s.height);
}

bool has_picture(const StagingImage& s) noexcept
{
    return s.pixels && s.pixels.size() >= pixel_count(s) * 4;
}

}  // namespace

ExchangeState& exchange_state() noexcept { return engine().exchange; }

bool create_staging(StagingImage& s, int width, int height) noexcept
{
    return guarded("CreateNewRGBA Excpt", false, [&] {
        s.pixels.reset();
        s.width = width;
        s.height = height;
        require(width > 0 && height > 0);
        require(s.pixels.allocate(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4));
        return true;
    });
}

void delete_staging(StagingImage& s) noexcept
{
    s.pixels.reset();
}

bool stage_rgba32(StagingImage& s, const std::uint8_t* rgba, int width, int height) noexcept
{
    if (!rgba || !create_staging(s, width, height)) return false;
    std::memcpy(s.pixels.data(), rgba, pixel_count(s) * 4);
    return true;
}

bool staging_transparent(const StagingImage& s) noexcept
{
    if (!has_picture(s)) return false;
    const std::uint8_t* p = s.pixels.data();
    const std::size_t n = pixel_count(s) * 4;
    for (std::size_t i = 3; i < n; i += 4)
        if (p[i] != 255) return true;
    return false;
}

void staging_to_rgba32(const StagingImage& s, std::uint8_t* out) noexcept
{
    if (has_picture(s) && out) std::memcpy(out, s.pixels.data(), pixel_count(s) * 4);
}

void staging_to_rgb24(const StagingImage& s, std::uint8_t* out) noexcept
{
    if (!has_picture(s) || !out) return;
    const std::uint8_t* p = s.pixels.data();
    for (std::size_t i = 0, n = pixel_count(s); i < n; ++i, p += 4, out += 3) {
        out[0] = p[0];
        out[1] = p[1];
        out[2] = p[2];
    }
}

void staging_to_bgr24(const StagingImage& s, std::uint8_t* out, int rowStep) noexcept
{
    if (!has_picture(s) || !out) return;
    for (int y = 0; y < s.height; ++y) {
        const std::uint8_t* p = s.pixels.data() + static_cast<std::size_t>(y) * s.width * 4;
        std::uint8_t* q = out + static_cast<std::ptrdiff_t>(y) * rowStep;
        for (int x = 0; x < s.width; ++x, p += 4, q += 3) {
            q[0] = p[2];
            q[1] = p[1];
            q[2] = p[0];
        }
    }
}

void staging_resized_rgb24(const StagingImage& s, std::uint8_t* out, int width, int height)
{
    if (!has_picture(s) || !out || width <= 0 || height <= 0) return;
    const bool small =
        s.width < kSmallSide || s.height < kSmallSide || width < kSmallSide || height < kSmallSide;
    Plane8 resized;
    require(resized.allocate(static_cast<std::size_t>(width) * height * 4));
    require(il::resize_image(s.pixels.data(), s.width, s.height, s.width * 4, resized.data(), width, height,
                             width * 4, 4, small ? il::kFilterBicubic : il::kFilterLanczos3, 0) != 0);
    const std::uint8_t* p = resized.data();
    for (std::size_t i = 0, n = static_cast<std::size_t>(width) * height; i < n; ++i, p += 4, out += 3) {
        out[0] = p[0];
        out[1] = p[1];
        out[2] = p[2];
    }
}

void staging_into_layer(Engine& e, const StagingImage& s)
{
    LayerRecord* layer = current_layer(e);
    if (!layer || !has_picture(s)) return;
    load_rgba32_layer(e, s.pixels.data(), s.width * 4, *layer, 0, 0, s.width, s.height, false);
}

}  // namespace mve::exchange

using mve::guarded;
using mve::exchange::exchange_state;

extern "C" {

MVE_API void MVE_DeleteNewRGBA(void)
{
    guarded("DeleteNewRGBA Excpt", [] { mve::exchange::delete_staging(exchange_state().staging); });
}

MVE_API int MVE_GetNewRGBAWidth(void)
{
    return exchange_state().staging.width;
}
MVE_API int MVE_GetNewRGBAHeight(void)
{
    return exchange_state().staging.height;
}

MVE_API int MVE_IsNewRGBA32Transparent(void)
{
    return mve::exchange::staging_transparent(exchange_state().staging) ? 1 : 0;
}

MVE_API void MVE_SetInNewRGBA(void)
{
    guarded("SetInNewRGBA Excpt",
            [] { mve::exchange::staging_into_layer(mve::engine(), exchange_state().staging); });
}

MVE_API void MVE_GetNewRGBA32(unsigned char* destination)
{
    mve::exchange::staging_to_rgba32(exchange_state().staging, destination);
}

MVE_API void MVE_GetNewRGBA24(unsigned char* destination)
{
    mve::exchange::staging_to_rgb24(exchange_state().staging, destination);
}

MVE_API void MVE_GetNewBGR24(unsigned char* destination, int rowStep)
{
    mve::exchange::staging_to_bgr24(exchange_state().staging, destination, rowStep);
}

MVE_API void MVE_GetResizedNewRGBA24(unsigned char* destination, int width, int height)
{
    guarded("GetResizedNewRGB24 Excpt", [&] {
        mve::exchange::staging_resized_rgb24(exchange_state().staging, destination, width, height);
    });
}

}  // extern "C"
