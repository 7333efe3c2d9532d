// The text tool on Src32 and the text-brush clip pictures.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/guard.h"
#include "core/transfer.h"
#include "imagelib/sources.h"
#include "imagelib/writing.h"
#include "ipl/processing_buffers.h"
#include "ipl/text.h"
#include "morvane/morvane.h"
#include "undo/undo_store.h"

namespace mve::ipl {

namespace {

constexpr int kPngColourRgba = 6;
constexpr int kClipPixelsPerMetre = 3937;  // 100 dots per inch
constexpr int kPngUnitMetre = 1;
constexpr int kFarOff = 1 << 24;

// Bytes of the UTF-8 character starting at text[i]; a stray byte counts as
// one character of its own.
std::size_t utf8_length(std::string_view text, std::size_t i) noexcept
{
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    std::size_t n = lead < 0x80           ? 1
                    : (lead >> 5) == 0x6  ? 2
                    : (lead >> 4) == 0xE  ? 3
                    : (lead >> 3) == 0x1E ? 4
                                          : 1;
    if (i + n > text.size()) return 1;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 1;
    return n;
}

void write_clip(const std::string& path, const std::vector<std::uint8_t>& rgba, int w, int h)
{
    il::ImageDest* dest = il::open_file_dest(path.c_str(), 0);
    require(dest != nullptr);
    const int written = il::write_png(dest, rgba.data(), w, h, w * 4, 8, kPngColourRgba, kClipPixelsPerMetre,
                                      kClipPixelsPerMetre, kPngUnitMetre);
    const int closed = il::close_dest(dest);
    require(written != 0 && closed != 0);
}

}  // namespace

// The text goes into Src32 (refreshed from the layer) in the box from (x, y)
// to the canvas' far corner, and Src32 is written back through the Mask.
// Without Src32 nothing is drawn.
void draw_text_tool(Engine& e, int r, int g, int b, int x, int y, const char* text, bool smooth)
{
    std::uint8_t* src = canvas_rgba32(e, e.ipl.src32);
    if (!src || !text) return;
    const int W = e.canvas.width, H = e.canvas.height;
    // A box corner far off the canvas is pulled in so its width stays in range.
    x = std::clamp(x, -kFarOff, W), y = std::clamp(y, -kFarOff, H);
    update_source_rgba32(e);
    draw_text(e.text, e.text.textFont, text, TextTarget{src, W, H, x, y, W, H}, r & 0xFF, g & 0xFF, b & 0xFF,
              smooth);
    core::load_rgba32_into_current(e, src, W * 4, true);
}

void build_text_brush_clips(Engine& e, int r, int g, int b, const char* text, const char* directory)
{
    if (!text || !*text || !directory) return;
    const std::string_view all(text);
    const int cellHeight = std::max(1, measure_line(e.text, e.text.brushFont, "W").height);
    int index = 0;
    for (std::size_t i = 0; i < all.size(); ++index) {
        const std::size_t n = utf8_length(all, i);
        const std::string_view character = all.substr(i, n);
        i += n;
        const int w = std::max(1, measure_line(e.text, e.text.brushFont, character).width);
        std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * cellHeight * 4, 0);
        draw_text(e.text, e.text.brushFont, character,
                  TextTarget{rgba.data(), w, cellHeight, 0, 0, w, cellHeight}, r & 0xFF, g & 0xFF, b & 0xFF,
                  true);
        write_clip(std::string(directory) + "/clip" + std::to_string(index) + ".png", rgba, w, cellHeight);
    }
}

}  // namespace mve::ipl

using namespace mve;

extern "C" {

MVE_API void MVE_IPLText(int r, int g, int b, int x, int y, int, int, int, int, const char* text, bool smooth)
{
    Engine& e = engine();
    guarded("IPLText Excpt", [&] { ipl::draw_text_tool(e, r, g, b, x, y, text, smooth); });
    undo_mark_all_dirty(e);
}

MVE_API void MVE_BuildTextBrushClips(int r, int g, int b, const char* text, const char* directory)
{
    guarded("BuildTextBrushClips Excpt",
            [&] { ipl::build_text_brush_clips(engine(), r, g, b, text, directory); });
}

}  // extern "C"
