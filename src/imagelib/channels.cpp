#include "imagelib/channels.h"

#include <cstddef>

namespace mve::il {

namespace {

bool valid(const std::uint8_t* picture, int width, int height, int rowBytes)
{
    return picture && width > 0 && height > 0 && rowBytes >= width * 4;
}

}  // namespace

int split_image(const std::uint8_t* picture, int width, int height, int rowBytes,
                std::uint8_t* const planes[4]) noexcept
{
    if (!valid(picture, width, height, rowBytes) || !planes) return 0;
    for (int c = 0; c < 4; ++c) {
        if (!planes[c]) continue;
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* p = picture + static_cast<std::size_t>(y) * rowBytes + c;
            std::uint8_t* out = planes[c] + static_cast<std::size_t>(y) * width;
            for (int x = 0; x < width; ++x) out[x] = p[x * 4];
        }
    }
    return 1;
}

int combine_image_channels(const std::uint8_t* const planes[4], int width, int height, std::uint8_t* picture,
                           int rowBytes) noexcept
{
    if (!valid(picture, width, height, rowBytes) || !planes) return 0;
    for (int c = 0; c < 4; ++c) {
        if (!planes[c]) continue;
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* in = planes[c] + static_cast<std::size_t>(y) * width;
            std::uint8_t* p = picture + static_cast<std::size_t>(y) * rowBytes + c;
            for (int x = 0; x < width; ++x) p[x * 4] = in[x];
        }
    }
    return 1;
}

}  // namespace mve::il
