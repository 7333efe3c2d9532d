// Metafile playback and writing: hand-made EMF and WMF files drawn onto small
// outputs and checked at pixels worked out from the records, the writers'
// files read back to the same pixels, and malformed files refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "imagelib/library.h"
#include "imagelib/metafile.h"
#include "imagelib/metafile_render.h"
#include "imagelib/reading.h"
#include "imagelib/sources.h"

namespace {

using namespace mve::il;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kGreen = 0x00FF00, kRed = 0x0000FF, kBlue = 0xFF0000;  // 0x00BBGGRR

void put16(Bytes& b, int v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(Bytes& b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// EMF: a header whose frame is sides x sides reference pixels (10 pixels per mm), records, the end record.
struct Emf {
    Bytes bytes;
    explicit Emf(int side)
    {
        put32(bytes, 1);
        put32(bytes, 88);
        for (std::uint32_t v : {0u, 0u, std::uint32_t(side - 1), std::uint32_t(side - 1)}) put32(bytes, v);
        for (std::uint32_t v : {0u, 0u, std::uint32_t(side * 10), std::uint32_t(side * 10)}) put32(bytes, v);
        for (std::uint32_t v : {0x464D4520u, 0x10000u, 0u, 0u}) put32(bytes, v);
        put16(bytes, 4);  // handles
        put16(bytes, 0);
        for (std::uint32_t v : {0u, 0u, 0u, 1000u, 1000u, 100u, 100u}) put32(bytes, v);
    }
    Emf& record(std::uint32_t type, std::initializer_list<std::uint32_t> fields)
    {
        put32(bytes, type);
        put32(bytes, static_cast<std::uint32_t>(8 + 4 * fields.size()));
        for (std::uint32_t v : fields) put32(bytes, v);
        return *this;
    }
    // A 16-bit poly record: bounds, count, then x, y pairs, padded to whole words.
    Emf& poly16(std::uint32_t type, std::initializer_list<int> xy)
    {
        const std::size_t size = (28 + 2 * xy.size() + 3) & ~std::size_t{3};
        put32(bytes, type);
        put32(bytes, static_cast<std::uint32_t>(size));
        for (int i = 0; i < 4; ++i) put32(bytes, 0);
        put32(bytes, static_cast<std::uint32_t>(xy.size() / 2));
        for (int v : xy) put16(bytes, v);
        if (size > 28 + 2 * xy.size()) put16(bytes, 0);
        return *this;
    }
    Bytes done()
    {
        record(14, {0, 16, 20});
        return bytes;
    }
};

// WMF records: a size in words, the function, 16-bit parameters as given.
void wmf_record(Bytes& b, int function, std::initializer_list<int> words)
{
    put32(b, static_cast<std::uint32_t>(3 + words.size()));
    put16(b, function);
    for (int w : words) put16(b, w);
}

Bytes wmf_header(bool placeable, int objects)
{
    Bytes b;
    if (placeable) {
        // Bounding box 0,0 - 100,100 at 960 units per inch: 10 x 10 pixels at 96 dpi.
        const int words[10] = {0xCDD7, 0x9AC6, 0, 0, 0, 100, 100, 960, 0, 0};
        int sum = 0;
        for (int w : words) put16(b, w), sum ^= w;
        put16(b, sum);
    }
    for (int w : {1, 9, 0x300}) put16(b, w);
    put32(b, 0);
    put16(b, objects);
    put32(b, 0);
    put16(b, 0);
    return b;
}

struct Picture {
    Bytes rgba;
    int w = 0, h = 0;
    std::uint32_t at(int x, int y) const  // 0x00BBGGRR like the files
    {
        const std::uint8_t* p = rgba.data() + (static_cast<std::size_t>(y) * w + x) * 4;
        return p[0] | (p[1] << 8u) | (p[2] << 16u);
    }
};

Picture render(const Bytes& file, int width, int height, std::uint32_t background = kGreen)
{
    Picture pic;
    std::uint8_t* block =
        render_metafile(file.data(), file.size(), width, height, background, &pic.w, &pic.h);
    if (!block) return pic;
    pic.rgba.assign(block, block + static_cast<std::size_t>(pic.w) * pic.h * 4);
    release_block(block);
    return pic;
}

// A red rectangle over 2..6 and a blue triangle (6,0), (10,0), (10,4), without outlines.
Bytes emf_shapes()
{
    Emf e(10);
    e.record(39, {1, 0, kRed, 0});   // CreateBrushIndirect slot 1, solid red
    e.record(39, {2, 0, kBlue, 0});  // slot 2, solid blue
    e.record(37, {0x80000008u});     // SelectObject: stock null pen
    e.record(37, {1});
    e.record(43, {2, 2, 6, 6});  // Rectangle
    e.record(37, {2});
    e.poly16(86, {6, 0, 10, 0, 10, 4});  // Polygon16
    return e.done();
}

TEST(Metafile, EmfShapesOverTheBackground)
{
    const Picture p = render(emf_shapes(), 10, 10);
    ASSERT_EQ(p.w, 10);
    ASSERT_EQ(p.h, 10);
    // Pixel centres (x + 0.5, y + 0.5): inside the rectangle 2..6 ...
    EXPECT_EQ(p.at(2, 2), kRed);
    EXPECT_EQ(p.at(5, 5), kRed);
    // ... the triangle holds the centres right of y = x - 6 ...
    EXPECT_EQ(p.at(9, 0), kBlue);
    EXPECT_EQ(p.at(9, 2), kBlue);
    // ... and the background everywhere nothing was drawn.
    EXPECT_EQ(p.at(1, 1), kGreen);
    EXPECT_EQ(p.at(6, 6), kGreen);
    EXPECT_EQ(p.at(6, 3), kGreen);
    EXPECT_EQ(p.at(0, 9), kGreen);

    // Without a requested size the frame's own 10 x 10 pixels; in a wider
    // output the square frame keeps its shape, centred: x moves right by 5.
    const Picture own = render(emf_shapes(), 0, 0);
    EXPECT_EQ(own.w, 10);
    EXPECT_EQ(own.rgba, p.rgba);
    const Picture wide = render(emf_shapes(), 20, 10);
    EXPECT_EQ(wide.at(7, 2), kRed);
    EXPECT_EQ(wide.at(10, 5), kRed);
    EXPECT_EQ(wide.at(3, 3), kGreen);
    EXPECT_EQ(wide.at(16, 3), kGreen);
}

// Ring: the square 0..10 with the square 3..7 inside, both clockwise.
Bytes emf_ring(bool winding)
{
    Emf e(10);
    e.record(39, {1, 0, kRed, 0});
    e.record(37, {1});
    e.record(37, {0x80000008u});
    if (winding) e.record(19, {2});  // SetPolyFillMode winding
    put32(e.bytes, 91);              // PolyPolygon16: bounds, 2 polygons, 8 points, counts 4 and 4, points
    put32(e.bytes, 72);
    for (std::uint32_t v : {0u, 0u, 0u, 0u, 2u, 8u, 4u, 4u}) put32(e.bytes, v);
    for (int v : {0, 0, 10, 0, 10, 10, 0, 10, 3, 3, 7, 3, 7, 7, 3, 7}) put16(e.bytes, v);
    return e.done();
}

TEST(Metafile, EmfFillModesPathsAndSavedStates)
{
    // Alternate fill leaves the inner square open, winding fills it.
    const Picture alternate = render(emf_ring(false), 10, 10), winding = render(emf_ring(true), 10, 10);
    EXPECT_EQ(alternate.at(1, 1), kRed);
    EXPECT_EQ(alternate.at(5, 5), kGreen);
    EXPECT_EQ(winding.at(1, 1), kRed);
    EXPECT_EQ(winding.at(5, 5), kRed);

    Emf e(10);
    e.record(39, {1, 0, kRed, 0});
    e.record(39, {2, 0, kBlue, 0});
    e.record(37, {0x80000008u});
    e.record(37, {1});
    e.record(33, {});  // SaveDC with the red brush
    e.record(37, {2});
    e.record(43, {0, 0, 2, 2});    // blue
    e.record(34, {0xFFFFFFFFu});   // RestoreDC -1: red again
    e.record(43, {8, 8, 10, 10});  // red
    e.record(59, {});              // BeginPath: the outline 3..7 is only collected
    e.record(27, {3, 3});
    e.record(54, {7, 3});
    e.record(54, {7, 7});
    e.record(54, {3, 7});
    e.record(61, {});
    e.record(60, {});
    e.record(62, {0, 0, 0, 0});   // FillPath
    e.record(42, {0, 6, 4, 10});  // Ellipse centred (2, 8), radius 2
    const Picture p = render(e.done(), 10, 10);
    EXPECT_EQ(p.at(0, 0), kBlue);
    EXPECT_EQ(p.at(9, 9), kRed);
    EXPECT_EQ(p.at(4, 4), kRed);  // inside the path
    EXPECT_EQ(p.at(2, 4), kGreen);
    // Pixels wholly inside or outside the circle (edges are smoothed): every
    // corner of pixel (1, 7) lies within 1.5 of the centre, the nearest point
    // of pixel (0, 5), (1, 6), lies 2.2 from it.
    EXPECT_EQ(p.at(1, 7), kRed);
    EXPECT_EQ(p.at(0, 5), kGreen);
}

// Window (50, 50) extent (200, 200) shown in the frame: logical x lands on (x - 50) / 20 of 10 pixels.
Bytes wmf_window_picture(bool placeable)
{
    Bytes b = wmf_header(placeable, 2);
    wmf_record(b, 0x0103, {8});                       // SetMapMode anisotropic
    wmf_record(b, 0x020B, {50, 50});                  // SetWindowOrg y, x
    wmf_record(b, 0x020C, {200, 200});                // SetWindowExt y, x
    wmf_record(b, 0x02FA, {5, 0, 0, 0, 0});           // CreatePenIndirect: null pen -> slot 0
    wmf_record(b, 0x02FC, {0, kRed & 0xFFFF, 0, 0});  // CreateBrushIndirect solid red -> slot 1
    wmf_record(b, 0x012D, {0});
    wmf_record(b, 0x012D, {1});
    wmf_record(b, 0x041B, {170, 170, 90, 90});  // Rectangle b, r, t, l: pixels 2..6
    wmf_record(b, 0x0000, {});
    return b;
}

TEST(Metafile, WmfWindowMappedOntoTheFrame)
{
    // Placeable: the bounding box is 10 x 10 pixels at 96 dpi.
    const Picture p = render(wmf_window_picture(true), 0, 0);
    ASSERT_EQ(p.w, 10);
    ASSERT_EQ(p.h, 10);
    EXPECT_EQ(p.at(2, 2), kRed);
    EXPECT_EQ(p.at(5, 5), kRed);
    EXPECT_EQ(p.at(1, 5), kGreen);
    EXPECT_EQ(p.at(6, 6), kGreen);
    // Without the placeable header the window is the frame (200 x 200 units):
    // drawn into 10 x 10 pixels the same rectangle appears.
    const Picture bare = render(wmf_window_picture(false), 10, 10);
    ASSERT_EQ(bare.w, 10);
    EXPECT_EQ(bare.rgba, p.rgba);
    EXPECT_EQ(render(wmf_window_picture(false), 0, 0).w, 200);
}

// 3 x 2 RGB picture with distinct values.
Bytes sample_rgb()
{
    Bytes p;
    for (int i = 0; i < 6; ++i) {
        p.push_back(static_cast<std::uint8_t>(10 + 40 * i));
        p.push_back(static_cast<std::uint8_t>(250 - 30 * i));
        p.push_back(static_cast<std::uint8_t>(i * i * 7));
    }
    return p;
}

Bytes encode(int (*write)(ImageDest*, const std::uint8_t*, int, int, int, int), const Bytes& rgb, int w,
             int h, int dpi)
{
    ImageDest* dest = open_memory_dest();
    EXPECT_EQ(write(dest, rgb.data(), w, h, w * 3, dpi), 1);
    Bytes out = dest->bytes;
    close_dest(dest);
    return out;
}

TEST(Metafile, WritersReadBackToTheSamePixels)
{
    const Bytes rgb = sample_rgb();
    for (auto* write : {write_emf, write_wmf}) {
        const Bytes file = encode(write, rgb, 3, 2, 96);
        // At the picture's size and at its own size (96 dpi makes them equal).
        for (int size : {3, 0}) {
            const Picture p = render(file, size, size ? 2 : 0, 0x123456);
            ASSERT_EQ(p.w, 3);
            ASSERT_EQ(p.h, 2);
            for (int i = 0; i < 6; ++i) {
                EXPECT_EQ(p.rgba[i * 4 + 0], rgb[i * 3 + 0]) << i;
                EXPECT_EQ(p.rgba[i * 4 + 1], rgb[i * 3 + 1]) << i;
                EXPECT_EQ(p.rgba[i * 4 + 2], rgb[i * 3 + 2]) << i;
                EXPECT_EQ(p.rgba[i * 4 + 3], 255) << i;
            }
        }
    }
    // The files hold what the formats say: EMF size field and end record,
    // the WMF placeable checksum and the box at the resolution asked for.
    const Bytes emf = encode(write_emf, rgb, 3, 2, 72);
    EXPECT_EQ(emf[48] | (emf[49] << 8), static_cast<int>(emf.size()));
    EXPECT_EQ(emf[emf.size() - 20], 14);
    const Bytes wmf = encode(write_wmf, rgb, 3, 2, 72);
    int sum = 0;
    for (int i = 0; i < 20; i += 2) sum ^= wmf[i] | (wmf[i + 1] << 8);
    EXPECT_EQ(wmf[20] | (wmf[21] << 8), sum);
    EXPECT_EQ(wmf[10], 3);
    EXPECT_EQ(wmf[12], 2);
    EXPECT_EQ(wmf[14], 72);
    // Sides beyond the WMF box's 16 bits are refused.
    ImageDest* dest = open_memory_dest();
    Bytes wide(40000 * 3);
    EXPECT_EQ(write_wmf(dest, wide.data(), 40000, 1, 40000 * 3, 72), 0);
    close_dest(dest);
}

// Where a picture differs from its background: the box and the busiest row.
struct Ink {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1, count = 0, busiestRow = -1;
};
Ink ink_of(const Picture& p, std::uint32_t background)
{
    Ink ink;
    int best = 0;
    for (int y = 0; y < p.h; ++y) {
        int row = 0;
        for (int x = 0; x < p.w; ++x) {
            if (p.at(x, y) == background) continue;
            ++row;
            ink.left = std::min(ink.left, x), ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y), ink.bottom = std::max(ink.bottom, y);
        }
        ink.count += row;
        if (row > best) best = row, ink.busiestRow = y;
    }
    return ink;
}

// An EMF drawing "T" with a 20-unit em (ExtCreateFontIndirectW, SetTextColor,
// SetTextAlign, ExtTextOutW) at (x, y) on a 60 x 60 frame.
Bytes emf_text(std::uint32_t align, int x, int y)
{
    Emf e(60);
    Bytes
        font;  // slot 1, LOGFONTW: height -20, width, escapement, orientation, weight 400, 8 flag bytes, face
    for (std::uint32_t v : {1u, std::uint32_t(-20), 0u, 0u, 0u, 400u, 0u, 0u}) put32(font, v);
    for (char c : std::string("DejaVu Sans")) put16(font, c);
    font.resize(4 + 92, 0);  // the face fills 32 characters
    put32(e.bytes, 82);
    put32(e.bytes, static_cast<std::uint32_t>(8 + font.size()));
    e.bytes.insert(e.bytes.end(), font.begin(), font.end());
    e.record(37, {1});
    e.record(24, {kBlue});
    e.record(22, {align});
    // ExtTextOutW: bounds, graphics mode, scales, then the text block: the
    // point, one character, its offset (76), options, rectangle, no spacing.
    e.record(84, {0, 0, 0, 0, 1, 0, 0, std::uint32_t(x), std::uint32_t(y), 1, 76, 0, 0, 0, 0, 0, 0, 'T'});
    return e.done();
}

TEST(Metafile, TextIsDrawnUprightAtItsAlignedReferencePoint)
{
    // Left and top at (5, 5): the glyph lies right of and below the point,
    // within one em (20) of it, in the text colour; a T is busiest in its
    // bar, at its top (drawn upside down it would be busiest at its foot).
    const Picture top = render(emf_text(0, 5, 5), 60, 60);
    const Ink a = ink_of(top, kGreen);
    ASSERT_GT(a.count, 20);
    const std::uint32_t bar = top.at(a.left + (a.right - a.left) / 2, a.top + 1);  // antialiased edges
    EXPECT_GT(bar >> 16, 0xC0u);
    EXPECT_LT(bar >> 8 & 0xFF, 0x40u);
    EXPECT_GE(a.left, 4);  // the glyph may start a fraction of a pixel before the point
    EXPECT_GE(a.top, 5);
    EXPECT_LE(a.right, 25);
    EXPECT_LE(a.bottom, 25);
    EXPECT_LE(a.busiestRow, a.top + (a.bottom - a.top) / 3);
    // Right and baseline at (50, 40): the T ends left of x = 50 and stands on
    // the line y = 40 (no descender; antialiasing may reach one pixel below).
    const Ink b = ink_of(render(emf_text(kTextRight | kTextBaseline, 50, 40), 60, 60), kGreen);
    ASSERT_GT(b.count, 20);
    EXPECT_LE(b.right, 50);
    EXPECT_GE(b.left, 30);
    EXPECT_GE(b.bottom, 38);
    EXPECT_LE(b.bottom, 40);
    EXPECT_LE(b.top, 30);
}

TEST(Metafile, WmfTextThroughTheWindowMapping)
{
    // Window 200 x 200 units drawn into 100 x 100 pixels: a 40-unit em is 20
    // pixels, and TextOut at (20, 20) puts the top left of "T" at pixel (10, 10).
    Bytes b = wmf_header(false, 1);
    wmf_record(b, 0x020B, {0, 0});      // SetWindowOrg y, x
    wmf_record(b, 0x020C, {200, 200});  // SetWindowExt y, x
    std::initializer_list<int> font = {-40,
                                       0,
                                       0,
                                       0,
                                       400,
                                       0,
                                       0,
                                       0,
                                       0,
                                       'D' | 'e' << 8,
                                       'j' | 'a' << 8,
                                       'V' | 'u' << 8,
                                       ' ' | 'S' << 8,
                                       'a' | 'n' << 8,
                                       's',
                                       0,
                                       0,
                                       0,
                                       0,
                                       0,
                                       0,
                                       0,
                                       0,
                                       0,
                                       0};
    wmf_record(b, 0x02FB, font);              // CreateFontIndirect -> slot 0
    wmf_record(b, 0x012D, {0});               // SelectObject
    wmf_record(b, 0x0209, {kRed, 0});         // SetTextColor
    wmf_record(b, 0x0521, {1, 'T', 20, 20});  // TextOut: length, the byte padded, y, x
    wmf_record(b, 0x0000, {});
    const Picture p = render(b, 100, 100);
    ASSERT_EQ(p.w, 100);
    const Ink ink = ink_of(p, kGreen);
    ASSERT_GT(ink.count, 20);
    EXPECT_GE(ink.left, 9);
    EXPECT_GE(ink.top, 10);
    EXPECT_LE(ink.right, 30);
    EXPECT_LE(ink.bottom, 30);
    EXPECT_LE(ink.busiestRow, ink.top + (ink.bottom - ink.top) / 3);
    EXPECT_GT(p.at(ink.left + (ink.right - ink.left) / 2, ink.top + 1) & 0xFF, 0xC0u);
}

void set32(Bytes& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

TEST(Metafile, MalformedFilesAreRefused)
{
    const Bytes emf = encode(write_emf, sample_rgb(), 3, 2, 96);
    const std::size_t blit = 108;  // the StretchDIBits record follows the header
    auto refused = [](const Bytes& f, int w, int h) { return render(f, w, h).rgba.empty(); };
    EXPECT_TRUE(refused(Bytes(emf.begin(), emf.begin() + 150), 3, 2));  // truncated
    Bytes past = emf;
    set32(past, blit + 4, 1u << 30);  // record size past the end
    EXPECT_TRUE(refused(past, 3, 2));
    Bytes zero = emf;
    set32(zero, blit + 4, 0);  // a zero-size record
    EXPECT_TRUE(refused(zero, 3, 2));
    Bytes millions = emf;
    set32(millions, 52, 5'000'000);  // a record count in the millions
    EXPECT_TRUE(refused(millions, 3, 2));
    Bytes huge = emf;
    set32(huge, 32, 2'000'000'000);  // a frame of kilometres has no pixel size of its own
    set32(huge, 36, 2'000'000'000);
    EXPECT_TRUE(refused(huge, 0, 0));
    EXPECT_TRUE(refused(emf, 100000, 100000));  // beyond the raster limit

    // A poly-polygon record too short for its fields, claiming four billion
    // polygons, is skipped without allocating; the rest is drawn.
    Emf shortPoly(10);
    shortPoly.record(39, {1, 0, kRed, 0}).record(37, {1}).record(8, {0, 0, 0, 0, 0xFFFFFFF0u});
    shortPoly.record(43, {0, 0, 10, 10});
    const Picture drawn = render(shortPoly.done(), 10, 10);
    ASSERT_EQ(drawn.w, 10);
    EXPECT_EQ(drawn.at(5, 5), kRed);

    Bytes wmf = wmf_window_picture(true);
    EXPECT_TRUE(refused(Bytes(wmf.begin(), wmf.end() - 8), 0, 0));  // the last records cut
    Bytes words = wmf;
    set32(words, 40, 0);  // the first record's size in words
    EXPECT_TRUE(refused(words, 0, 0));
    // Without the placeable header and without a window there is no frame.
    Bytes bare = wmf_header(false, 0);
    wmf_record(bare, 0x041B, {170, 170, 90, 90});
    wmf_record(bare, 0x0000, {});
    EXPECT_TRUE(refused(bare, 10, 10));
    EXPECT_TRUE(refused(Bytes(30, 0), 10, 10));
}

}  // namespace
