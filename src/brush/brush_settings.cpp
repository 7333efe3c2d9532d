// Brush size, scale, density and opacity; the random seed, the grit
// countdown and the start directory.
#include "brush/brush_settings.h"

#include <algorithm>
#include <cstring>

#include "engine/engine.h"
#include "morvane/morvane.h"
#include "platform/window_redraw.h"

namespace mve {

void set_brush_size(BrushSettings& b, int size) noexcept
{
    // The host must keep the size within 1000; clamping here keeps a larger
    // value from writing past the scale index table.
    size = std::clamp(size, 0, kScaleTableSize);
    b.fullSize = size;
    b.dabSize = size;
    for (int i = 0; i < size; ++i) b.scaleIndex[static_cast<std::size_t>(i)] = i;
}

void set_brush_scale_size(BrushSettings& b, int n) noexcept
{
    n = std::max(n, 1);
    n = std::min(n, b.fullSize);
    n = std::min(n, kScaleTableSize - 1);
    n = std::max(n, 0);  // a full size of 0 leaves no entry
    b.dabSize = n;
    if (n == 0) return;
    const double step = static_cast<double>(b.fullSize) / n;
    for (int i = 0; i < n; ++i) b.scaleIndex[static_cast<std::size_t>(i)] = static_cast<int>(step * (i + 0.5));
}

void set_brush_alpha(BrushSettings& b, int a) noexcept
{
    b.alpha = a;
    // In double: 50 * 1.28 must give 64 (a float 1.28 would give 63).
    b.alphaScaled = static_cast<int>(a * 1.28);
}

void set_start_directory(BrushSettings& b, const char* path) noexcept
{
    if (!path) return;
    const std::size_t len = strnlen(path, kStartDirSize);
    if (len >= static_cast<std::size_t>(kStartDirSize)) return;
    std::memcpy(b.startDirectory, path, len + 1);
}

const char* start_directory() noexcept { return engine().brush.startDirectory; }

void brush::set_random_seed(RandomTables& random, int seed) noexcept
{
    random.seed = static_cast<std::uint32_t>(seed);
    crt_srand(random.seed);
}

int brush::set_mix_mode(BrushSettings& b, int mode, int level) noexcept
{
    b.mixMode = mode;
    b.mixLevel = level;
    b.mixLevelInverse = 256 - level;
    // Signed strengths around the middle level 127, truncated toward zero.
    const double centred = (level - 127) / 127.0;
    b.mixLevel10 = static_cast<int>(centred * 10);
    b.mixLevel16 = static_cast<int>(centred * 16);
    return b.mixLevel16;
}

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API void MVE_SetSize(int size) { set_brush_size(engine().brush, size); }

MVE_API void MVE_SetScaleSize(int n) { set_brush_scale_size(engine().brush, n); }

MVE_API void MVE_SetDensity(int d) { engine().brush.density = d - 1; }

MVE_API void MVE_SetAlpha(int a) { set_brush_alpha(engine().brush, a); }

MVE_API void MVE_SetShapeBlur(int b) { engine().brush.shapeBlur = b; }

MVE_API void MVE_DecDrawingLength(void) { engine().paint.gritCountdown -= 1; }

MVE_API void MVE_SetRandomSeed(int seed)
{
    brush::set_random_seed(engine().random, seed);
}

MVE_API void MVE_SetStartDir(const char* path) { set_start_directory(engine().brush, path); }

}  // extern "C"

extern "C" {

MVE_API int MVE_SetWindowRedraw(void* window, int on)
{
    return static_cast<int>(platform::send_set_redraw(window, on & 0xFF));
}

MVE_API int MVE_RedrawWindow(void* window)
{
    using namespace platform;
    return redraw_window(window, kRedrawFrame | kRedrawAllChildren | kRedrawErase | kRedrawInvalidate);
}

// The paint mix mode: the level and its derived strengths.
MVE_API int MVE_SetMixMode(int mode, int level)
{
    return brush::set_mix_mode(engine().brush, mode, level);
}

}  // extern "C"
