// Fuzzes the compressed-layer-block loader: whatever the block, the load
// must neither crash nor write outside the layer, and a refused block must
// leave the layer exactly as it was.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/engine.h"
#include "imagelib/compression.h"
#include "morvane/morvane.h"

// The library archive is built without sanitizers; compiling the block
// loader and the compression layer here instruments them.
#include "exchange/layer_blocks.cpp"
#include "imagelib/compression.cpp"

namespace {

constexpr int kWidth = 16, kHeight = 8;  // blocks of 16 * 8 * 4 = 512 bytes load

void set_up_once()
{
    static bool done = false;
    if (done) return;
    done = true;
    MVE_CreateImage(nullptr, kWidth, kHeight, 8, 0);
    MVE_CreateLayer(1, kWidth, kHeight);
    MVE_SetLayer(1);
}

std::vector<std::uint16_t> snapshot()
{
    const auto& p = mve::engine().layers.table[1].pixels;
    return std::vector<std::uint16_t>(p.data(), p.data() + p.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0 || size > 65536) return 0;  // an empty block is covered by the unit tests
    set_up_once();
    // Give the layer a recognisable state so an unchanged layer can be told apart.
    auto& layer = mve::engine().layers.table[1].pixels;
    std::uint16_t* pixels = layer.begin_write();
    for (std::size_t i = 0; i < layer.size(); ++i) pixels[i] = static_cast<std::uint16_t>(i * 2654435761u);
    const auto before = snapshot();

    // Exactly-sized heap copy so that ASan sees any read past the block.
    std::vector<std::uint8_t> block(data, data + size);
    MVE_SetLastError("");
    MVE_LoadRGBA32LayerCompressed(block.data(), 0, static_cast<int>(size), 1);
    const bool refused = std::strcmp(MVE_GetLastError(), "") != 0;

    // Refused exactly when the block does not inflate to the layer's size.
    std::vector<std::uint8_t> raw(kWidth * kHeight * 4);
    const bool valid = size > 0 && mve::z_inflate_buffer(block.data(), size, raw.data(), raw.size());
    if (refused == valid) std::abort();
    if (refused && snapshot() != before) std::abort();
    if (!refused) {
        // Loaded unmasked: alpha 0 clears the pixel, others widen by << 8
        // (the layer has no lock alpha).
        const auto after = snapshot();
        for (std::size_t i = 0; i < raw.size(); i += 4) {
            const bool clear = raw[i + 3] == 0;
            for (int k = 0; k < 4; ++k)
                if (after[i + k] != (clear ? 0 : raw[i + k] << 8)) std::abort();
        }
    }
    return 0;
}
