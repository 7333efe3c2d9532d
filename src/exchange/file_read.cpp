// The file readers: into the staging image, into host buffers of an exact
// size, through ImageMagick and through the camera-raw reader; the header
// resolution query and the PNG header size.
#include <cstring>
#include <string>

#include "core/guard.h"
#include "exchange/exchange.h"
#include "imagelib/block_placement.h"
#include "imagelib/library.h"
#include "imagelib/magick_route.h"
#include "imagelib/metafile.h"
#include "imagelib/reading.h"
#include "morvane/morvane.h"

namespace mve::exchange {

namespace {

struct SourceCloser {
    void operator()(il::ImageSource* s) const noexcept { il::close_source(s); }
};
using Source = std::unique_ptr<il::ImageSource, SourceCloser>;

// Inches per metre and centimetres per inch as the resolution query uses them.
constexpr double kMetresPerInch = 0.025400000025908;
constexpr double kCentimetresPerInch = 2.5400000025908;

// Converts a header resolution r in unit u of the file type to dots per inch
// (truncated); 72 for a type or unit without a conversion.
int to_dpi(int type, double r, int u) noexcept
{
    double dpi = -1;
    switch (type) {
        case il::kTypeBMP:
            dpi = u == 1 ? r * kCentimetresPerInch : u == 2 ? r * kMetresPerInch : -1;
            break;
        case il::kTypeJPG:
            dpi = u == 1 ? r : u == 2 ? r * kCentimetresPerInch : -1;
            break;
        case il::kTypePNG:
            dpi = u == 1 ? r * kMetresPerInch : -1;
            break;
        case il::kTypeTIFF:
        case il::kTypePSD:
            dpi = u == 2 ? r : u == 3 ? r * kCentimetresPerInch : -1;
            break;
        default:
            break;
    }
    return dpi < 0 ? 72 : static_cast<int>(dpi);
}

// Takes ownership of a decoded RGBA32 block (null when decoding failed).
Decoded adopt_block(std::uint8_t* block, int width, int height) noexcept
{
    Decoded d;
    d.pixels.reset(block);
    if (d) {
        d.width = width;
        d.height = height;
    }
    return d;
}

// Metafiles are drawn at the canvas size (their own size without a canvas)
// over the brush colour, whose high bytes make the 0x00BBGGRR background.
std::uint8_t* render_for_canvas(const il::ImageSource& s, int* width, int* height) noexcept
{
    const Engine& e = engine();
    const auto& c = e.brush.color;
    const std::uint32_t background =
        (c[0] >> 8) | ((c[1] >> 8) << 8) | (static_cast<std::uint32_t>(c[2] >> 8) << 16);
    return il::render_metafile(s.here(), s.remaining(), e.canvas.width, e.canvas.height, background, width,
                               height);
}

}  // namespace

void Decoded::Free::operator()(std::uint8_t* p) const noexcept
{
    il::release_block(p);
}

// Decodes a source; a picture wider or taller than maxWidth x maxHeight (when
// given) is refused unread. A metafile is drawn at the canvas size whatever
// it holds, so the bound does not reach the bitmaps inside it.
static Decoded decode_source(il::ImageSource* source, int maxWidth, int maxHeight) noexcept
{
    int w = 0, h = 0;
    const int type = il::guess_file_type(source);
    std::uint8_t* block = nullptr;
    if (type == il::kTypeWMF || type == il::kTypeEMF) {
        block = render_for_canvas(*source, &w, &h);
    } else if (maxWidth <= 0) {
        block = il::read_image_to_rgba(source, &w, &h);
    } else {
        const il::DecodeBound bound(maxWidth, maxHeight);
        block = il::read_image_to_rgba(source, &w, &h);
    }
    return adopt_block(block, w, h);
}

Decoded decode_file(const char* path) noexcept
{
    Source source(il::open_file_source(path));
    return source ? decode_source(source.get(), 0, 0) : Decoded{};
}

Decoded decode_file_magick(const char* path) noexcept
{
    Source source(il::open_file_source(path));
    if (!source || source->bytes.empty()) return {};
    int w = 0, h = 0;
    std::uint8_t* block = il::decode_magick_any(source->bytes.data(), source->bytes.size(), source->extension, &w, &h);
    return adopt_block(block, w, h);
}

Decoded decode_file_raw(const char* path) noexcept
{
    Source source(il::open_file_source(path));
    if (!source) return {};
    int w = 0, h = 0;
    std::uint8_t* block = il::decode_raw(source->bytes.data(), source->bytes.size(), &w, &h);
    return adopt_block(block, w, h);
}

bool read_into_staging(StagingImage& s, const Decoded& d) noexcept
{
    return d && stage_rgba32(s, d.pixels.get(), d.width, d.height);
}

namespace {

// Storage for the next staging picture: the decoder writes into a fresh
// plane, which replaces the staged one only when the read succeeded.
struct StagingPlacement final : il::BlockPlacement {
    Plane8 fresh;
    std::uint8_t* place(int width, int height) noexcept override
    {
        return fresh.allocate(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4) ? fresh.data()
                                                                                                    : nullptr;
    }
    void give_back(std::uint8_t*) noexcept override { fresh.reset(); }
};

}  // namespace

// Reads a file with `decode` straight into the staging image's storage.
static bool read_file_into_staging(StagingImage& s, const char* path, Decoded (*decode)(const char*) noexcept) noexcept
{
    StagingPlacement placement;
    Decoded d;
    {
        const il::PlaceNextBlock scope(&placement);
        d = decode(path);
    }
    if (!d) return false;
    if (d.pixels.get() != placement.fresh.data()) return read_into_staging(s, d);  // a turned copy
    d.pixels.release();  // owned by the plane, which becomes the staging picture
    s.pixels = std::move(placement.fresh);
    s.width = d.width;
    s.height = d.height;
    return true;
}

bool read_into_buffer(const char* path, std::uint8_t* out, int width, int height, int bytesPerPixel) noexcept
{
    if (!out || width <= 0 || height <= 0) return false;
    // Only a picture of exactly this size is used: a larger header is refused unread.
    Source source(il::open_file_source(path));
    if (!source) return false;
    const Decoded d = decode_source(source.get(), width, height);
    if (!d || d.width != width || d.height != height) return false;
    const std::uint8_t* p = d.pixels.get();
    const std::size_t n = static_cast<std::size_t>(width) * height;
    if (bytesPerPixel == 4) {
        std::memcpy(out, p, n * 4);
        return true;
    }
    // The decoded block has four bytes per pixel: RGB24 takes the colours.
    for (std::size_t i = 0; i < n; ++i, p += 4, out += 3) {
        out[0] = p[0];
        out[1] = p[1];
        out[2] = p[2];
    }
    return true;
}

int snap_dpi(int dpi) noexcept
{
    for (int v : {72, 96, 150, 200, 300, 450, 600})
        if (dpi >= v - 1 && dpi <= v + 1) return v;
    return 72;
}

int file_dpi(const char* path) noexcept
{
    Source source(il::open_file_source(path));
    if (!source) return 72;
    const int type = il::guess_file_type(source.get());
    il::seek_source(source.get(), 0, 0);
    double r = 0;
    int u = 0;
    if (!il::read_resolution(source.get(), &r, &u)) return 72;
    return snap_dpi(to_dpi(type, r, u));
}

namespace {

int png_header_side(const char* path, bool wantWidth) noexcept
{
    Source source(il::open_file_source(path));
    int w = 0, h = 0;
    if (!source || !il::get_png_dims(source.get(), &w, &h, nullptr, nullptr, nullptr)) return 0;
    return wantWidth ? w : h;
}

}  // namespace

int png_header_width(const char* path) noexcept
{
    return png_header_side(path, true);
}
int png_header_height(const char* path) noexcept
{
    return png_header_side(path, false);
}

}  // namespace mve::exchange

using mve::guarded;
namespace ex = mve::exchange;

extern "C" {

MVE_API int MVE_ReadFromFile(const char* path)
{
    return guarded("ReadFromFile Excpt", 0, [&] {
        return ex::read_file_into_staging(ex::exchange_state().staging, path, ex::decode_file) ? 1 : 0;
    });
}

MVE_API int MVE_ReadFromFileRGB24(unsigned char* destination, int width, int height, const char* path)
{
    return guarded("ReadFromFile Excpt", 0,
                   [&] { return ex::read_into_buffer(path, destination, width, height, 3) ? 1 : 0; });
}

MVE_API int MVE_ReadFromFileRGBA32(unsigned char* destination, int width, int height, const char* path)
{
    return guarded("ReadFromFile Excpt", 0,
                   [&] { return ex::read_into_buffer(path, destination, width, height, 4) ? 1 : 0; });
}

// One operation under two names.
static int read_through_magick(const char* path) noexcept
{
    return guarded("ReadFromFileRAW Excpt", 0, [&] {
        return ex::read_file_into_staging(ex::exchange_state().staging, path, ex::decode_file_magick) ? 1 : 0;
    });
}

MVE_API int MVE_ReadFromFileRAW(const char* path)
{
    return read_through_magick(path);
}
MVE_API int MVE_ImportFromFile(const char* path)
{
    return read_through_magick(path);
}

MVE_API int MVE_ReadFromFileRAW_OLD(const char* path)
{
    return guarded("ReadFromFileRAW Excpt", 0, [&] {
        return ex::read_file_into_staging(ex::exchange_state().staging, path, ex::decode_file_raw) ? 1 : 0;
    });
}

MVE_API int MVE_GetDPIFromFile(const char* path)
{
    return ex::file_dpi(path);
}
MVE_API int MVE_GetWidthFromPNG(const char* path)
{
    return ex::png_header_width(path);
}
MVE_API int MVE_GetHeightFromPNG(const char* path)
{
    return ex::png_header_height(path);
}

}  // extern "C"
