// Text on RGBA32 pictures: faces found by family name through fontconfig,
// ordered by the bidirectional algorithm (FriBidi), shaped by HarfBuzz
// (kerning, ligatures, right-to-left runs) and rasterised
// by FreeType, anti-aliased or as plain on/off pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/engine.h"
#include "ipl/text_state.h"

typedef struct FT_FaceRec_* FT_Face;

namespace mve::ipl {

// Runs the host's chooser on `font`; the chooser's result when a font was
// chosen, else 0 (also without a chooser). See text_fonts.cpp.
int choose_font(const TextState& s, FontRecord& font) noexcept;

// The pixel size of a record: height 0 means 16, a negative height its
// magnitude (as a character height), at most 2048.
int font_pixel_size(const FontRecord& font) noexcept;

// The FreeType face of a record at its pixel size: the face fontconfig
// matches to the family name, the default face ("sans-serif") for an empty
// name; fontconfig falls back to the default for an unknown one. Throws
// Failure when no face can be opened at all.
FT_Face open_face(TextState& s, const FontRecord& font);

// Where text goes: a packed RGBA32 picture and the box (exclusive right and
// bottom, clipped to the picture) that nothing is drawn outside of. Lines
// start at the box's top left and wrap at spaces to its width.
struct TextTarget {
    std::uint8_t* rgba = nullptr;
    int width = 0, height = 0;
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Glyph coverage a (0..255) lays the colour over straight-alpha pixels as an
// opaque source of alpha a (text_layout.cpp); with smooth off coverage is 0
// or 255, so pixels are simply set. Untouched pixels keep their bytes.
void draw_text(TextState& s, const FontRecord& font, std::string_view text, const TextTarget& target, int r,
               int g, int b, bool smooth);

// Width (sum of advances) and line height of one shaped line, in pixels,
// and how many glyphs shaping made of it (ligatures join several characters).
struct TextSize {
    int width = 0, height = 0, ascent = 0, glyphs = 0;
    long advance64 = 0;  // the exact sum of advances, in 1/64 pixel
};
TextSize measure_line(TextState& s, const FontRecord& font, std::string_view text);

}  // namespace mve::ipl
