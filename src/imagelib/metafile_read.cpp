// The metafile reading entry: the file kind by its signature, then its record reader.
#include <cmath>

#include "imagelib/metafile.h"
#include "imagelib/metafile_readers.h"

namespace mve::il {

bool metafile_output_size(double frameW, double frameH, int* width, int* height)
{
    if (*width > 0 && *height > 0) return true;
    // Larger than any raster cairo makes; the pixel limit then refuses it.
    constexpr double kLargest = 1 << 16;
    if (!(frameW >= 0.5 && frameH >= 0.5 && frameW < kLargest && frameH < kLargest)) return false;
    *width = static_cast<int>(std::lround(frameW));
    *height = static_cast<int>(std::lround(frameH));
    return true;
}

std::uint8_t* render_metafile(const std::uint8_t* data, std::size_t size, int width, int height,
                              std::uint32_t background, int* outWidth, int* outHeight) noexcept
{
    if (!data || size < 22 || !outWidth || !outHeight) return nullptr;
    try {
        const bool emf = data[0] == 1 && data[1] == 0 && data[2] == 0 && data[3] == 0 && size >= 44 &&
                         data[40] == ' ' && data[41] == 'E' && data[42] == 'M' && data[43] == 'F';
        return emf ? render_emf(data, size, width, height, background, outWidth, outHeight)
                   : render_wmf(data, size, width, height, background, outWidth, outHeight);
    } catch (...) {
        return nullptr;  // an allocation failed
    }
}

}  // namespace mve::il
