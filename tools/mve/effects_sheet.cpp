// The effects contact sheet: test picture, effect runs through the public
// interface, and a grid of labelled cells drawn with a tiny bitmap font.
#include "effects_sheet.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "demo.h"
#include "morvane/morvane.h"

namespace mve_host {

namespace {

constexpr int kCellW = 160, kCellH = 120;  // one effect's picture
constexpr int kColumns = 8, kPad = 6, kLabelH = 12;

// 5 x 7 capitals, digits and a little punctuation; row bits, leftmost = 0x10.
struct Glyph {
    char ch;
    unsigned char rows[7];
};
constexpr Glyph kGlyphs[] = {
    {' ', {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
    {'&', {0x0C, 0x12, 0x14, 0x08, 0x15, 0x12, 0x0D}},
    {'\'', {0x04, 0x04, 0x08, 0x00, 0x00, 0x00, 0x00}},
    {'(', {0x02, 0x04, 0x08, 0x08, 0x08, 0x04, 0x02}},
    {')', {0x08, 0x04, 0x02, 0x02, 0x02, 0x04, 0x08}},
    {'+', {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00}},
    {',', {0x00, 0x00, 0x00, 0x00, 0x0C, 0x04, 0x08}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {'/', {0x01, 0x01, 0x02, 0x04, 0x08, 0x10, 0x10}},
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},
    {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}},
    {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}},
    {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {'_', {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1F}},
};

const unsigned char* glyph(char c)
{
    const char up = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const Glyph& g : kGlyphs)
        if (g.ch == up) return g.rows;
    return kGlyphs[0].rows;  // unknown characters as blanks
}

struct Sheet {
    int width, height;
    std::vector<unsigned char> rgba;

    void put(int x, int y, const unsigned char* c)
    {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        std::copy_n(c, 4, &rgba[(static_cast<std::size_t>(y) * width + x) * 4]);
    }
    // Text in the 5 x 7 font, 6 pixels a character, cut at maxWidth.
    void text(int x, int y, const std::string& s, int maxWidth)
    {
        static const unsigned char ink[4] = {20, 20, 24, 255};
        for (std::size_t i = 0; i < s.size() && static_cast<int>(i + 1) * 6 <= maxWidth; ++i) {
            const unsigned char* rows = glyph(s[i]);
            for (int r = 0; r < 7; ++r)
                for (int b = 0; b < 5; ++b)
                    if (rows[r] & (0x10 >> b)) put(x + static_cast<int>(i) * 6 + b, y + r, ink);
        }
    }
    // A picture over a grey checkerboard, so transparency shows.
    void picture(int x0, int y0, const std::vector<unsigned char>& px)
    {
        for (int y = 0; y < kCellH; ++y)
            for (int x = 0; x < kCellW; ++x) {
                const unsigned char* s = &px[(static_cast<std::size_t>(y) * kCellW + x) * 4];
                const int check = ((x / 8 + y / 8) & 1) ? 205 : 250;
                unsigned char c[4] = {0, 0, 0, 255};
                for (int k = 0; k < 3; ++k) c[k] = static_cast<unsigned char>((s[k] * s[3] + check * (255 - s[3])) / 255);
                put(x0 + x, y0 + y, c);
            }
    }
};

// A fresh canvas for each effect: effects may leave a Mask, work buffers or
// a changed Src32 behind, and the next cell must not see them.
void fresh_canvas()
{
    MVE_DeleteImage();
    MVE_CreateImage(nullptr, kCellW, kCellH, 64, 0);
    MVE_CreateLayer(1, kCellW, kCellH);
    MVE_SetLayerOptions(1, 1, 0, 100, "Normal");
    MVE_SetLayer(1);
    MVE_IPLAllocSrcBuffer32();
    MVE_IPLAllocDstBuffer32();
}

// Runs one effect on a fresh copy of the picture in layer 1 and reads the layer back.
std::vector<unsigned char> run_effect(const std::string& name, const std::vector<unsigned char>& picture)
{
    fresh_canvas();
    MVE_LoadRGBA32Layer(picture.data(), kCellW * 4, 1, 0, 0, kCellW, kCellH, 0);
    MVE_IPLUpdateSrcBuffer32();  // effects that read Src32 as it stands find the picture there
    // Middle-of-the-range sliders, a warm colour, edge mode 0, a fixed seed.
    MVE_IPLImageProcess(0, name.c_str(), 7, 400, 500, 300, 600, 500, 500, 0, 0, 0, 0, 0, 0, 0, 0, 255, 190, 60, "");
    std::vector<unsigned char> out(picture.size());
    MVE_GetRGBA32(out.data(), kCellW * 4);
    return out;
}

}  // namespace

std::vector<std::string> registered_effects()
{
    std::vector<std::string> names;
    for (int i = 0; i < MVE_IPLEffectCount(); ++i)
        if (const char* name = MVE_IPLEffectInfo(i, nullptr, nullptr)) names.emplace_back(name);
    return names;
}

std::vector<unsigned char> effects_test_picture(int width, int height)
{
    std::vector<unsigned char> px(static_cast<std::size_t>(width) * height * 4);
    const double sunX = width * 0.72, sunY = height * 0.25, sunR = height * 0.12;
    const double ballX = width * 0.25, ballY = height * 0.86, ballR = height * 0.1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &px[(static_cast<std::size_t>(y) * width + x) * 4];
            const double t = static_cast<double>(y) / height, u = static_cast<double>(x) / width;
            // Sky: deep blue to pale at the horizon; ground: green with a soft ramp.
            double r = 40 + 170 * t, g = 90 + 140 * t, b = 200 + 40 * t;
            if (t > 0.55) r = 60 + 80 * u, g = 130 - 50 * (t - 0.55), b = 50 + 30 * std::sin(x * 0.3);
            if (std::hypot(x - sunX, y - sunY) < sunR) r = 255, g = 215, b = 70;
            // A house: wall, roof triangle, window checker.
            const int hx = width / 10, hy = height * 4 / 10, hw = width / 4, hh = height / 4;
            if (x >= hx && x < hx + hw && y >= hy && y < hy + hh) {
                r = 200, g = 80, b = 60;
                if (x > hx + hw / 3 && x < hx + 2 * hw / 3 && y > hy + hh / 4 && y < hy + 3 * hh / 4)
                    r = g = b = ((x / 3 + y / 3) & 1) ? 250 : 30;
            }
            if (y < hy && y >= hy - hw / 2 && std::abs(x - (hx + hw / 2)) < (y - (hy - hw / 2))) r = 120, g = 40, b = 30;
            // Stripes on the right of the ground.
            if (t > 0.6 && u > 0.6 && ((x + y) / 4) % 2 == 0) r = 240, g = 240, b = 230;
            p[0] = static_cast<unsigned char>(std::clamp(r, 0.0, 255.0));
            p[1] = static_cast<unsigned char>(std::clamp(g, 0.0, 255.0));
            p[2] = static_cast<unsigned char>(std::clamp(b, 0.0, 255.0));
            p[3] = 255;
            // The lower band is transparent except for a ball.
            if (t > 0.75 && u < 0.5) p[3] = std::hypot(x - ballX, y - ballY) < ballR ? 255 : 0;
        }
    return px;
}

int write_effects_sheet(const std::string& path, const std::vector<std::string>& names)
{
    const std::vector<unsigned char> picture = effects_test_picture(kCellW, kCellH);
    const int count = static_cast<int>(names.size()) + 1;  // the original first
    const int rows = (count + kColumns - 1) / kColumns;
    Sheet sheet{kColumns * (kCellW + kPad) + kPad, rows * (kCellH + kLabelH + kPad) + kPad, {}};
    sheet.rgba.assign(static_cast<std::size_t>(sheet.width) * sheet.height * 4, 255);

    for (int i = 0; i < count; ++i) {
        const std::string label = i == 0 ? "(original)" : names[i - 1];
        const std::vector<unsigned char> result = i == 0 ? picture : run_effect(label, picture);
        const int x = kPad + (i % kColumns) * (kCellW + kPad), y = kPad + (i / kColumns) * (kCellH + kLabelH + kPad);
        sheet.picture(x, y, result);
        sheet.text(x, y + kCellH + 3, label, kCellW);
    }
    MVE_DeleteImage();
    if (!write_png(path, sheet.rgba.data(), sheet.width, sheet.height, 4)) return -1;
    say("effects sheet: %d effects on a %dx%d picture -> %s", count - 1, kCellW, kCellH, path.c_str());
    return count - 1;
}

}  // namespace mve_host
