// PNG in memory for layered documents: any PNG decoded to 16-bit RGBA
// (8-bit values v become v << 8, the engine's own widening), and 16-bit RGBA
// encoded as an 8-bit or a 16-bit PNG. The decoder reads the header first
// and refuses pictures above the size limit before it allocates anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mve_host {

struct Rgba16Picture {
    int width = 0, height = 0;
    bool sixteenBit = false;            // the PNG held 16-bit samples
    std::vector<std::uint16_t> pixels;  // R, G, B, A per pixel, straight alpha
};

// false with a reason in error for a broken, truncated or too large PNG.
bool decode_png(const unsigned char* data, std::size_t size, std::uint64_t maxPixels, Rgba16Picture& out,
                std::string& error);

// sixteenBit false writes the high byte of every value.
bool encode_png(const std::uint16_t* pixels, int width, int height, bool sixteenBit,
                std::vector<unsigned char>& out);

}  // namespace mve_host
