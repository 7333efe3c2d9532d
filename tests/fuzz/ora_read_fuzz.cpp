// libFuzzer target: the OpenRaster reader of mve on arbitrary bytes (zip,
// stack.xml, layer PNGs). Limits are small so every run stays fast; a read
// document must hold every layer's pixels in full.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ora_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 512 * 1024) return 0;
    mve_host::OraLimits limits;
    limits.maxPixels = 1 << 20;
    limits.maxTotalLayerPixels = 1 << 22;
    limits.maxLayers = 16;
    limits.maxXmlBytes = 64 * 1024;
    mve_host::OraDocument doc;
    std::string error;
    if (!mve_host::read_ora_memory(data, size, limits, doc, error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    for (const auto& l : doc.layers)
        if (l.pixels.size() != static_cast<std::size_t>(l.width) * l.height * 4) std::abort();
    return 0;
}
