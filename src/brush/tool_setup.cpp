// MVE_SetTool: stores the tool's settings, builds the 20 grit patterns
// (generated dots, or blocks cut from a picture file) and rebuilds the brush
// shape. The grit patterns use the engine's generator reseeded with the
// random seed, so equal seeds and settings give byte-identical patterns.
#include "brush/tool_setup.h"

#include <algorithm>
#include <cstring>

#include "brush/brush_settings.h"
#include "core/guard.h"
#include "imagelib/block_copy.h"
#include "morvane/morvane.h"
#include "paint/brush_shape.h"
#include "paint/brush_shape_picture.h"

namespace mve {

namespace {

constexpr int kGritMargin = 25;        // patterns are this much larger than the brush
constexpr int kGritCanvasSide = 600;   // side of the tiled script picture

bool patterns_present(const Engine& e)
{
    for (const Plane8& g : e.paint.gritPatterns)
        if (!g) return false;
    return true;
}

// Side S of the square of each pattern that grit is written into: full size
// + 25, kept within the pattern buffer when the host exceeded the maximum
// brush size.
int grit_side(const Engine& e)
{
    const int d = e.canvas.maxBrushSize;
    return std::min(e.brush.fullSize + kGritMargin, d + kGritMargin);
}

void point_grit_at(Engine& e, int pattern)
{
    e.paint.gritPattern = pattern;
    e.paint.gritOffset = 0;
}

// Sequential reads from a random table starting at a drawn position. The
// position wraps at the table's end: with large dots a row can read more
// bytes than the margin the start position leaves.
struct TableReader {
    const std::uint8_t* bytes;
    std::size_t length;
    std::size_t pos;
    int next() { return bytes[pos++ % length]; }
};

}  // namespace

bool build_generated_grit(Engine& e) noexcept
{
    const RandomByteTable& ta = e.random.toolA;
    const RandomByteTable& tb = e.random.toolB;
    const int n = e.brush.gritDotSize;
    if (n <= 0 || !ta.data || !tb.data || ta.length <= 0 || tb.length <= 0 || !patterns_present(e)) return false;
    const int d = e.canvas.maxBrushSize;
    const int s = grit_side(e);
    const std::uint32_t l = static_cast<std::uint32_t>(ta.length);
    // Position multipliers in unsigned arithmetic: rand() * floor((L - 2n) / 32767).
    const std::uint32_t stepP = (l - 2u * static_cast<std::uint32_t>(n)) / 32767u;
    const std::uint32_t stepQ = (l - static_cast<std::uint32_t>(n)) / 32767u;
    const int dotThreshold = e.brush.gritDotThreshold, pixelThreshold = e.brush.gritPixelThreshold;

    for (int b = 0; b < kGritPatternCount; ++b) {
        point_grit_at(e, b);
        Plane8& pattern = e.paint.gritPatterns[static_cast<std::size_t>(b)];
        std::memset(pattern.data(), 255, pattern.bytes());
        std::uint8_t* out = pattern.data();
        for (int r = 0; r < s; r += n) {
            const std::uint32_t p0 = static_cast<std::uint32_t>(crt_rand()) * stepP;  // p is drawn first
            const std::uint32_t q0 = static_cast<std::uint32_t>(crt_rand()) * stepQ;
            TableReader p{ta.data.data(), ta.data.size(), p0};
            TableReader q{tb.data.data(), tb.data.size(), q0};
            for (int c = 0; c < s; c += n) {
                if (p.next() >= dotThreshold) continue;
                const std::uint8_t level = static_cast<std::uint8_t>(q.next());
                // Cells are cut off at S; positions past it read no byte.
                for (int i = 0; i < n && r + i < s; ++i)
                    for (int j = 0; j < n && c + j < s; ++j)
                        if (p.next() < pixelThreshold)
                            out[static_cast<std::size_t>(r + i) * d + static_cast<std::size_t>(c + j)] = level;
            }
        }
    }
    e.paint.gritCountdown = e.brush.drawingLength;
    return true;
}

void copy_grit_block(const std::uint8_t* grey, int width, int height, int x0, int y0, int side,
                     std::uint8_t* pattern, std::size_t patternBytes, int stride) noexcept
{
    const int cols = std::min(side, width - x0), rows = std::min(side, height - y0);
    if (cols <= 0 || rows <= 0 || stride <= 0) return;
    for (int y = 0; y < rows; ++y) {
        const std::size_t at = static_cast<std::size_t>(y) * stride;
        if (at >= patternBytes) break;
        const std::size_t n = std::min(static_cast<std::size_t>(cols), patternBytes - at);
        std::memcpy(pattern + at, grey + (static_cast<std::size_t>(y0) + y) * width + x0, n);
    }
}

namespace {

// A 600 x 600 grey picture of the script's picture tiled from the top-left
// corner (columns outer, rows inner).
bool tile_script_to_grey(const RgbaPicture& tile, Plane8& grey)
{
    Plane8 canvas;
    const int side = kGritCanvasSide;
    if (!canvas.allocate(static_cast<std::size_t>(side) * side * 4)) return false;
    std::memset(canvas.data(), 0, canvas.bytes());
    for (int x = 0; x < side; x += tile.width)
        for (int y = 0; y < side; y += tile.height)
            overlay_image(canvas.data(), side, side, 4, side * 4, tile.pixels.data(), tile.width, tile.height,
                          tile.width * 4, x, y, 1.0, 0);
    if (!grey.allocate(static_cast<std::size_t>(side) * side)) return false;
    gray8_from_rgba(canvas.data(), side, side, side * 4, grey.data(), side);
    return true;
}

// The grey picture of a grit source: an image script, else an image file.
bool grey_from_source(const char* path, Plane8& grey, int& width, int& height)
{
    RgbaPicture picture;
    const ScriptLoad script = render_script_file(path, picture);
    if (script == ScriptLoad::Rendered) {
        width = height = kGritCanvasSide;
        return tile_script_to_grey(picture, grey);
    }
    if (script == ScriptLoad::Failed) return false;  // a script that loaded is never read as an image
    if (!read_image_file(path, picture)) return false;
    width = picture.width;
    height = picture.height;
    if (!grey.allocate(static_cast<std::size_t>(width) * height)) return false;
    gray8_from_rgba(picture.pixels.data(), width, height, width * 4, grey.data(), width);
    return true;
}

}  // namespace

bool build_grit_from_file(Engine& e, const char* path) noexcept
{
    if (!patterns_present(e)) return false;
    Plane8 grey;
    int w = 0, h = 0;
    if (!grey_from_source(path, grey, w, h)) return false;
    const int s = grit_side(e);
    for (int b = 0; b < kGritPatternCount; ++b) {
        Plane8& pattern = e.paint.gritPatterns[static_cast<std::size_t>(b)];
        std::memset(pattern.data(), 255, pattern.bytes());
        point_grit_at(e, b);
        // A picture exactly S wide or high would take the offset modulo 0:
        // offset 0 there, as for a smaller picture.
        const int rx = crt_rand(), ry = crt_rand();
        const int x0 = w - s > 0 ? rx % (w - s) : 0;
        const int y0 = h - s > 0 ? ry % (h - s) : 0;
        copy_grit_block(grey.data(), w, h, x0, y0, s, pattern.data(), pattern.bytes(), e.canvas.maxBrushSize);
    }
    e.paint.gritCountdown = e.brush.drawingLength;
    return true;
}

void brush::set_tool(Engine& e, float shapeIntensity, int gritDotSize, int gritDotThreshold,
                     int gritPixelThreshold, int softness, int colorVary, int drawingLength,
                     int blendStrength, int blendPrimaryColorStrength, int blendRemix, int reservedB,
                     int shapeOption, int reservedA, const char* gritSource, const char* shapePath,
                     int shapeAngle)
{
    BrushSettings& b = e.brush;
    crt_srand(e.random.seed);  // same seed and settings: same patterns

    b.shapeIntensity = shapeIntensity;
    b.gritDotSize = gritDotSize;
    b.gritDotThreshold = gritDotThreshold;
    b.gritPixelThreshold = gritPixelThreshold;
    b.softness = static_cast<std::uint8_t>(softness);
    b.colorVary = colorVary;
    b.drawingLength = drawingLength;
    b.blendStrength = blendStrength;
    b.blendPrimaryColorStrength = blendPrimaryColorStrength;
    b.blendRemix = static_cast<std::uint8_t>(blendRemix);
    b.reservedB = reservedB & 0xFF;
    b.shapeOption = static_cast<std::uint8_t>(shapeOption);
    b.reservedA = static_cast<std::uint8_t>(reservedA);
    b.shapeArgument = shapeAngle;
    b.mixMode = 32;  // plain paint

    if (gritDotSize != 0) build_generated_grit(e);
    // A file grit replaces the generated one while it fits the 600-pixel picture.
    if (gritSource && std::strlen(gritSource) > 1 && b.fullSize + kGritMargin < kGritCanvasSide)
        build_grit_from_file(e, gritSource);

    paint::set_brush_shape(e, shapePath, shapeAngle);

    set_blend_strength(b, b.blendStrength);
    set_blend_primary_strength(b, b.blendPrimaryColorStrength);
    b.blendDisabledOnce = 0;
    b.eraseMode = 0;
    e.mask.makerOn = 0;
}

int brush::get_grit_pattern(const PaintResources& p, int index, unsigned char* out) noexcept
{
    if (index < 0 || index >= kGritPatternCount || !out) return 0;
    const Plane8& g = p.gritPatterns[static_cast<std::size_t>(index)];
    if (!g) return 0;
    std::memcpy(out, g.data(), g.bytes());
    return static_cast<int>(g.bytes());
}

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API void MVE_SetTool(float shapeIntensity, int gritDotSize, int gritDotThreshold, int gritPixelThreshold,
                         int softness, int colorVary, int drawingLength, int blendStrength,
                         int blendPrimaryColorStrength, int blendRemix, int reservedB, int shapeOption,
                         int reservedA, const char* gritSource, const char* shapePath, int shapeAngle)
{
    guarded("SetTool Excpt", [&] {
        brush::set_tool(engine(), shapeIntensity, gritDotSize, gritDotThreshold, gritPixelThreshold, softness,
                        colorVary, drawingLength, blendStrength, blendPrimaryColorStrength, blendRemix,
                        reservedB, shapeOption, reservedA, gritSource, shapePath, shapeAngle);
    });
}

MVE_API int MVE_GetGritPattern(int index, unsigned char* out)
{
    return brush::get_grit_pattern(engine().paint, index, out);
}

}  // extern "C"
