// Shaping, line breaking and glyph drawing of the text tools.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <fribidi.h>
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/guard.h"
#include "ipl/text.h"

namespace mve::ipl {

namespace {

// Positions are FreeType's 26.6 fixed point (1/64 pixel).
struct ShapedGlyph {
    unsigned gid = 0;
    unsigned cluster = 0;  // byte offset of its first character in the paragraph
    long advance = 0;
    long xOffset = 0, yOffset = 0;
    int level = 0;  // bidirectional embedding level: odd reads right to left
};

// One paragraph's glyphs in logical (reading) order.
struct ShapedRun {
    std::vector<ShapedGlyph> glyphs;
};

struct HbFont {
    hb_font_t* font;
    explicit HbFont(FT_Face face) : font(hb_ft_font_create_referenced(face)) {}
    ~HbFont() { hb_font_destroy(font); }
    HbFont(const HbFont&) = delete;
    HbFont& operator=(const HbFont&) = delete;
};

// A stretch of the paragraph, in bytes, read in one direction.
struct LevelRun {
    std::size_t begin, end;
    int level;
};

// The paragraph's runs of equal embedding level, from the Unicode
// bidirectional algorithm (FriBidi), the paragraph direction taken from its
// first strong character. Text FriBidi cannot read as UTF-8 is one
// left-to-right run, as it was before any ordering.
std::vector<LevelRun> level_runs(std::string_view paragraph)
{
    const auto bytes = static_cast<FriBidiStrIndex>(paragraph.size());
    std::vector<FriBidiChar> chars(paragraph.size() + 1);
    const FriBidiStrIndex count =
        fribidi_charset_to_unicode(FRIBIDI_CHAR_SET_UTF8, paragraph.data(), bytes, chars.data());
    std::vector<FriBidiCharType> types(static_cast<std::size_t>(count));
    std::vector<FriBidiBracketType> brackets(static_cast<std::size_t>(count));
    std::vector<FriBidiLevel> levels(static_cast<std::size_t>(count));
    fribidi_get_bidi_types(chars.data(), count, types.data());
    fribidi_get_bracket_types(chars.data(), count, types.data(), brackets.data());
    FriBidiParType direction = FRIBIDI_PAR_ON;
    if (count == 0 || fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), count, &direction,
                                                          levels.data()) == 0)
        return {LevelRun{0, paragraph.size(), 0}};
    // Character i starts at the i-th UTF-8 lead byte.
    std::vector<LevelRun> runs;
    std::size_t ch = 0;
    for (std::size_t byte = 0; byte < paragraph.size(); ++byte) {
        if ((static_cast<unsigned char>(paragraph[byte]) & 0xC0) == 0x80) continue;
        const int level = ch < levels.size() ? levels[ch] : 0;
        ++ch;
        if (runs.empty() || runs.back().level != level) runs.push_back(LevelRun{byte, byte, level});
        runs.back().end = byte;
    }
    for (std::size_t i = 0; i < runs.size(); ++i)
        runs[i].end = i + 1 < runs.size() ? runs[i + 1].begin : paragraph.size();
    return runs;
}

// Shapes each level run in its own direction, with the whole paragraph as
// context (so Arabic letters join across a run's edge), and keeps the glyphs
// in reading order.
ShapedRun shape(hb_font_t* font, std::string_view paragraph)
{
    ShapedRun run;
    if (paragraph.empty()) return run;
    const int length = static_cast<int>(std::min<std::size_t>(paragraph.size(), 1u << 30));
    paragraph = paragraph.substr(0, static_cast<std::size_t>(length));
    for (const LevelRun& part : level_runs(paragraph)) {
        std::unique_ptr<hb_buffer_t, void (*)(hb_buffer_t*)> buffer(hb_buffer_create(), hb_buffer_destroy);
        require(hb_buffer_allocation_successful(buffer.get()));
        hb_buffer_add_utf8(buffer.get(), paragraph.data(), length, static_cast<unsigned>(part.begin),
                           static_cast<int>(part.end - part.begin));
        hb_buffer_set_direction(buffer.get(), part.level % 2 ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
        hb_buffer_guess_segment_properties(buffer.get());
        hb_shape(font, buffer.get(), nullptr, 0);
        unsigned count = 0;
        const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer.get(), &count);
        const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer.get(), nullptr);
        const std::size_t first = run.glyphs.size();
        for (unsigned i = 0; i < count; ++i)
            run.glyphs.push_back(ShapedGlyph{info[i].codepoint, info[i].cluster, pos[i].x_advance,
                                             pos[i].x_offset, pos[i].y_offset, part.level});
        // HarfBuzz hands right-to-left runs over in visual order; lines are
        // broken in reading order.
        if (part.level % 2)
            std::reverse(run.glyphs.begin() + static_cast<std::ptrdiff_t>(first), run.glyphs.end());
    }
    return run;
}

// The glyphs of one line in the order they are drawn from left to right:
// from the highest level down to the lowest odd one, every stretch at that
// level or above is reversed (the bidirectional algorithm's reordering).
std::vector<std::size_t> visual_order(const ShapedRun& run, std::size_t begin, std::size_t end)
{
    std::vector<std::size_t> order(end - begin);
    int highest = 0, lowestOdd = 1 << 30;
    for (std::size_t i = begin; i < end; ++i) {
        order[i - begin] = i;
        highest = std::max(highest, run.glyphs[i].level);
        if (run.glyphs[i].level % 2) lowestOdd = std::min(lowestOdd, run.glyphs[i].level);
    }
    for (int level = highest; level >= lowestOdd; --level)
        for (std::size_t i = 0; i < order.size();) {
            if (run.glyphs[order[i]].level < level) {
                ++i;
                continue;
            }
            std::size_t j = i;
            while (j < order.size() && run.glyphs[order[j]].level >= level) ++j;
            std::reverse(order.begin() + static_cast<std::ptrdiff_t>(i),
                         order.begin() + static_cast<std::ptrdiff_t>(j));
            i = j;
        }
    return order;
}

struct LineRange {
    std::size_t begin, end;  // glyph indexes, end exclusive
};

// Greedy breaking to `width` pixels: a line ends before the glyph that would
// cross the width, after the last space before it (the space is dropped),
// or at that glyph when the line has no space. Spaces may hang past the end.
std::vector<LineRange> break_lines(const ShapedRun& run, std::string_view paragraph, long width)
{
    std::vector<LineRange> lines;
    const long limit = width * 64;
    const std::size_t n = run.glyphs.size();
    std::size_t start = 0;
    long pen = 0;
    long lastSpace = -1;
    for (std::size_t i = 0; i < n; ++i) {
        const ShapedGlyph& g = run.glyphs[i];
        const bool space = g.cluster < paragraph.size() && paragraph[g.cluster] == ' ';
        if (!space && i > start && pen + g.advance > limit) {
            const bool atSpace = lastSpace >= static_cast<long>(start);
            const std::size_t end = atSpace ? static_cast<std::size_t>(lastSpace) : i;
            lines.push_back(LineRange{start, end});
            start = atSpace ? end + 1 : i;
            pen = 0;
            for (std::size_t k = start; k < i; ++k) pen += run.glyphs[k].advance;
            lastSpace = -1;
        }
        if (space) lastSpace = static_cast<long>(i);
        pen += g.advance;
    }
    lines.push_back(LineRange{start, n});
    return lines;
}

struct GlyphBitmap {
    int left = 0, top = 0, width = 0, rows = 0;
    std::vector<std::uint8_t> coverage;  // width * rows, 0..255
};

GlyphBitmap render_glyph(FT_Face face, unsigned gid, bool smooth)
{
    GlyphBitmap out;
    if (FT_Load_Glyph(face, gid, smooth ? FT_LOAD_DEFAULT : FT_LOAD_TARGET_MONO) != 0) return out;
    if (FT_Render_Glyph(face->glyph, smooth ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) return out;
    const FT_Bitmap& bm = face->glyph->bitmap;
    if (bm.pitch <= 0 || !bm.buffer) return out;
    out.left = face->glyph->bitmap_left;
    out.top = face->glyph->bitmap_top;
    out.width = static_cast<int>(bm.width);
    out.rows = static_cast<int>(bm.rows);
    out.coverage.resize(static_cast<std::size_t>(out.width) * out.rows);
    for (int y = 0; y < out.rows; ++y) {
        const unsigned char* src = bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch;
        std::uint8_t* dst = out.coverage.data() + static_cast<std::size_t>(y) * out.width;
        for (int x = 0; x < out.width; ++x)
            dst[x] =
                bm.pixel_mode == FT_PIXEL_MODE_MONO ? ((src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0) : src[x];
    }
    return out;
}

// An opaque colour v with coverage a laid over a straight-alpha pixel (c, A):
//   A' = a + A (1 - a),   c' = (v a + c A (1 - a)) / A'
// in 8-bit steps, rounded. Coverage 255 sets (v, 255); a pixel the text does
// not touch keeps its bytes exactly.
inline void blend_over(std::uint8_t* px, const std::uint8_t* colour, int a) noexcept
{
    const int A = px[3];
    const int den = a * 255 + A * (255 - a);
    for (int c = 0; c < 3; ++c)
        px[c] = static_cast<std::uint8_t>((colour[c] * a * 255 + px[c] * A * (255 - a) + den / 2) / den);
    px[3] = static_cast<std::uint8_t>((den + 127) / 255);
}

void blit(const GlyphBitmap& g, int originX, int baseline, const TextTarget& t, const std::uint8_t* colour)
{
    const int x0 = originX + g.left, y0 = baseline - g.top;
    const int left = std::max(x0, t.left), right = std::min(x0 + g.width, t.right);
    const int top = std::max(y0, t.top), bottom = std::min(y0 + g.rows, t.bottom);
    for (int y = top; y < bottom; ++y) {
        const std::uint8_t* cov = g.coverage.data() + static_cast<std::size_t>(y - y0) * g.width;
        std::uint8_t* px = t.rgba + (static_cast<std::size_t>(y) * t.width + left) * 4;
        for (int x = left; x < right; ++x, px += 4) {
            const int a = cov[x - x0];
            if (a != 0) blend_over(px, colour, a);
        }
    }
}

TextTarget clipped(TextTarget t) noexcept
{
    t.left = std::max(t.left, 0), t.top = std::max(t.top, 0);
    t.right = std::min(t.right, t.width), t.bottom = std::min(t.bottom, t.height);
    return t;
}

}  // namespace

void draw_text(TextState& s, const FontRecord& font, std::string_view text, const TextTarget& target, int r,
               int g, int b, bool smooth)
{
    const TextTarget t = clipped(target);
    if (!t.rgba || text.empty() || t.left >= t.right || t.top >= t.bottom) return;
    FT_Face face = open_face(s, font);
    const HbFont hb(face);
    const int ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
    const int lineHeight = std::max(1, static_cast<int>((face->size->metrics.height + 63) >> 6));
    const std::uint8_t colour[4] = {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                    static_cast<std::uint8_t>(b), 255};
    std::unordered_map<unsigned, GlyphBitmap> bitmaps;

    long lineTop = target.top;
    std::size_t from = 0;
    while (from <= text.size() && lineTop < t.bottom) {
        std::size_t to = text.find('\n', from);
        if (to == std::string_view::npos) to = text.size();
        std::string_view paragraph = text.substr(from, to - from);
        if (!paragraph.empty() && paragraph.back() == '\r') paragraph.remove_suffix(1);
        const ShapedRun run = shape(hb.font, paragraph);
        for (const LineRange& line : break_lines(run, paragraph, target.right - target.left)) {
            if (lineTop >= t.bottom) break;
            const int baseline = static_cast<int>(lineTop) + ascent;
            long pen = static_cast<long>(target.left) * 64;
            for (const std::size_t i : visual_order(run, line.begin, line.end)) {
                const ShapedGlyph& gl = run.glyphs[i];
                auto found = bitmaps.find(gl.gid);
                if (found == bitmaps.end())
                    found = bitmaps.emplace(gl.gid, render_glyph(face, gl.gid, smooth)).first;
                const int x = static_cast<int>((pen + gl.xOffset + 32) >> 6);
                const int y = baseline - static_cast<int>((gl.yOffset + 32) >> 6);
                blit(found->second, x, y, t, colour);
                pen += gl.advance;
            }
            lineTop += lineHeight;
        }
        from = to + 1;
    }
}

TextSize measure_line(TextState& s, const FontRecord& font, std::string_view text)
{
    FT_Face face = open_face(s, font);
    const HbFont hb(face);
    TextSize size;
    long pen = 0;
    const ShapedRun run = shape(hb.font, text);
    for (const ShapedGlyph& g : run.glyphs) pen += g.advance;
    size.glyphs = static_cast<int>(run.glyphs.size());
    size.advance64 = pen;
    size.width = static_cast<int>((pen + 63) >> 6);
    size.ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
    size.height = static_cast<int>((face->size->metrics.ascender - face->size->metrics.descender + 63) >> 6);
    return size;
}

}  // namespace mve::ipl
