// Fuzz target of the image-script parser: any bytes must parse or fail
// cleanly; small pictures that parse are also rendered.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imagelib/image_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 64 * 1024) return 0;  // scripts are small; longer inputs only slow the fuzzer
    mve::il::ImageScript script;
    if (!mve::il::parse_image_script(reinterpret_cast<const char*>(data), size, script)) return 0;
    const mve::il::IslHeader& h = script.header;
    if (h.width * h.height > 32 * 32) return 0;
    // Bound the work of shape generators: large counts and sizes on a tiny
    // picture are valid but only cost time here.
    for (mve::il::IslStep& s : script.steps)
        for (double& v : s.values)
            if (v > 64) v = 64;
    std::vector<std::uint8_t> px(static_cast<std::size_t>(h.width) * h.height * 4);
    mve::il::render_image_script(script, px.data());
    return 0;
}
