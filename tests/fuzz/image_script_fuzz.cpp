// Fuzz target of the image-script parser and executor: any bytes must parse
// or fail cleanly; small pictures that parse are rendered with the values as
// they stand, so absurd counts, radii and passes reach the executor.
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
    // Any header side (1 x 4096 included), but small areas: the fuzzer should
    // spend its time on the values. These are not bounded here: every value
    // reaches the executor, whose ranges and work bound must hold.
    if (h.width * h.height > 4096) return 0;
    std::vector<std::uint8_t> px(static_cast<std::size_t>(h.width) * h.height * 4);
    mve::il::render_image_script(script, px.data());
    return 0;
}
