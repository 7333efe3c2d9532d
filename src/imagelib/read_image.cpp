// The reading entry points: type guess from signatures, header sizes and
// resolutions, and the dispatch of a decode to the codec of the type.
#include <algorithm>
#include <cstring>

#include <wand/MagickWand.h>

#include "core/memory.h"
#include "imagelib/block_placement.h"
#include "imagelib/library.h"
#include "imagelib/reading.h"

namespace mve::il {

namespace {

std::uint32_t be32(const std::uint8_t* p) { return (p[0] << 24u) | (p[1] << 16u) | (p[2] << 8u) | p[3]; }
std::uint32_t le32(const std::uint8_t* p) { return p[0] | (p[1] << 8u) | (p[2] << 16u) | (static_cast<std::uint32_t>(p[3]) << 24u); }
std::uint16_t be16(const std::uint8_t* p) { return static_cast<std::uint16_t>((p[0] << 8) | p[1]); }
std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

// TGA has no signature: accept a header whose fields are all plausible.
bool looks_like_tga(const std::uint8_t* p, std::size_t n)
{
    if (n < 18) return false;
    const int colourMapType = p[1], imageType = p[2], depth = p[16];
    const bool typeOk = imageType == 1 || imageType == 2 || imageType == 3 || imageType == 9 || imageType == 10 ||
                        imageType == 11;
    const bool depthOk = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
    return colourMapType <= 1 && typeOk && depthOk && le16(p + 12) > 0 && le16(p + 14) > 0;
}

int type_of(const std::uint8_t* p, std::size_t n, const std::string& extension)
{
    if (n >= 8 && std::memcmp(p, "\x89PNG\r\n\x1a\n", 8) == 0) return kTypePNG;
    if (n >= 3 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF) return kTypeJPG;
    if (n >= 4 && (std::memcmp(p, "II*\0", 4) == 0 || std::memcmp(p, "MM\0*", 4) == 0)) return kTypeTIFF;
    if (n >= 2 && p[0] == 'B' && p[1] == 'M') return kTypeBMP;
    if (n >= 4 && std::memcmp(p, "GIF8", 4) == 0) return kTypeGIF;
    if (n >= 4 && std::memcmp(p, "8BPS", 4) == 0) return kTypePSD;
    if (n >= 4 && le32(p) == 0x9AC6CDD7u) return kTypeWMF;  // placeable metafile
    // A metafile without the placeable header: file type, header words, version.
    if (n >= 18 && (le16(p) == 1 || le16(p) == 2) && le16(p + 2) == 9 &&
        (le16(p + 4) == 0x300 || le16(p + 4) == 0x100))
        return kTypeWMF;
    if (n >= 44 && le32(p) == 1 && std::memcmp(p + 40, " EMF", 4) == 0) return kTypeEMF;
    if (n >= 12 && std::memcmp(p, "RIFF", 4) == 0 && std::memcmp(p + 8, "WEBP", 4) == 0) return kTypeWEBP;
    if (n >= 128 && p[0] == 0x0A && p[1] <= 5 && p[2] <= 1) return kTypePCX;
    if (extension == ".tga" && looks_like_tga(p, n)) return kTypeTGA;
    return kTypeUnknown;
}

// JPEG markers up to the first frame header; fills the JFIF density and the size.
bool scan_jpeg(const std::uint8_t* p, std::size_t n, int* w, int* h, double* res, int* unit)
{
    std::size_t i = 2;
    bool found = false;
    while (i + 4 <= n) {
        if (p[i] != 0xFF) return found;
        const int marker = p[i + 1];
        if (marker == 0xFF) { ++i; continue; }
        const std::size_t length = be16(p + i + 2);
        if (length < 2 || i + 2 + length > n) return found;
        const std::uint8_t* seg = p + i + 4;
        if (marker == 0xE0 && length >= 16 && std::memcmp(seg, "JFIF\0", 5) == 0 && res && unit) {
            *unit = seg[7];
            *res = be16(seg + 8);
            found = true;
        }
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && length >= 7) {
            if (h) *h = be16(seg + 1);
            if (w) *w = be16(seg + 3);
            return res ? found : true;
        }
        i += 2 + length;
    }
    return found;
}

// PNG chunks up to IDAT; the pHYs x value and unit.
bool scan_png_phys(const std::uint8_t* p, std::size_t n, double* res, int* unit)
{
    std::size_t i = 8;
    while (i + 12 <= n) {
        const std::uint32_t length = be32(p + i);
        if (length > n - i - 12) return false;
        if (std::memcmp(p + i + 4, "pHYs", 4) == 0 && length >= 9) {
            *res = be32(p + i + 8);
            *unit = p[i + 16];
            return true;
        }
        if (std::memcmp(p + i + 4, "IDAT", 4) == 0) return false;
        i += 12 + length;
    }
    return false;
}

bool magick_resolution(const std::uint8_t* p, std::size_t n, double* res, int* unit)
{
    if (!ensure_magick()) return false;
    MagickWand* wand = NewMagickWand();
    if (!wand) return false;
    bool ok = MagickPingImageBlob(wand, p, n) != MagickFalse;
    if (ok) {
        double x = 0, y = 0;
        MagickGetImageResolution(wand, &x, &y);
        const ResolutionType units = MagickGetImageUnits(wand);
        *res = x;
        *unit = units == PixelsPerInchResolution ? 2 : units == PixelsPerCentimeterResolution ? 3 : 0;
    }
    DestroyMagickWand(wand);
    return ok;
}

}  // namespace

namespace {

// The placement of this thread's current decode and the block it gave out.
thread_local BlockPlacement* t_placement = nullptr;
thread_local std::uint8_t* t_placed = nullptr;

}  // namespace

PlaceNextBlock::PlaceNextBlock(BlockPlacement* placement) noexcept : saved_(t_placement), savedBlock_(t_placed)
{
    t_placement = placement;
    t_placed = nullptr;
}

PlaceNextBlock::~PlaceNextBlock()
{
    t_placement = saved_;
    t_placed = savedBlock_;
}

void release_block(void* block) noexcept
{
    if (block && block == t_placed) {
        t_placed = nullptr;
        t_placement->give_back(static_cast<std::uint8_t*>(block));
        return;
    }
    raw_free(block);
}

std::uint8_t* allocate_block(int width, int height) noexcept
{
    if (!acceptable_size(width, height)) return nullptr;
    // One placed block at a time: a turned copy made while it is held comes
    // from the allocator; after a failed first try it can be placed again.
    if (t_placement && !t_placed) {
        t_placed = t_placement->place(width, height);
        if (t_placed) return t_placed;
    }
    return static_cast<std::uint8_t*>(raw_alloc(static_cast<std::size_t>(width) * height * 4));
}

int guess_file_type(ImageSource* source) noexcept
{
    if (!source) return kTypeUnknown;
    return type_of(source->here(), source->remaining(), source->extension);
}

std::uint8_t* read_image_to_rgba(ImageSource* source, int* width, int* height) noexcept
{
    if (!source) return nullptr;
    const std::uint8_t* p = source->here();
    const std::size_t n = source->remaining();
    switch (type_of(p, n, source->extension)) {
        case kTypePNG: return decode_png(p, n, width, height);
        case kTypeJPG: return decode_jpeg(p, n, width, height);
        case kTypeTIFF: return decode_tiff(p, n, width, height);
        case kTypeBMP:
        case kTypeGIF:
        case kTypePSD:
        case kTypePCX: return decode_magick(p, n, nullptr, width, height);
        case kTypeTGA: return decode_magick(p, n, "TGA", width, height);
        case kTypeWEBP: return decode_webp(p, n, width, height);
        default: return nullptr;  // metafiles have their own renderer; the rest is not an image
    }
}

int get_png_dims(ImageSource* source, int* width, int* height, int* bitDepth, int* colorType, int* interlace) noexcept
{
    if (!source || guess_file_type(source) != kTypePNG || source->remaining() < 33) return 0;
    const std::uint8_t* p = source->here();
    if (std::memcmp(p + 12, "IHDR", 4) != 0) return 0;
    if (width) *width = static_cast<int>(be32(p + 16));
    if (height) *height = static_cast<int>(be32(p + 20));
    if (bitDepth) *bitDepth = p[24];
    if (colorType) *colorType = p[25];
    if (interlace) *interlace = p[28];
    return 1;
}

int get_image_dims(ImageSource* source, int* width, int* height) noexcept
{
    if (!source) return 0;
    const std::uint8_t* p = source->here();
    const std::size_t n = source->remaining();
    switch (guess_file_type(source)) {
        case kTypePNG: return get_png_dims(source, width, height, nullptr, nullptr, nullptr);
        case kTypeJPG: {
            int w = 0, h = 0;
            if (!scan_jpeg(p, n, &w, &h, nullptr, nullptr) || w == 0) return 0;
            if (width) *width = w;
            if (height) *height = h;
            return 1;
        }
        case kTypeBMP:
            if (n < 26) return 0;
            if (width) *width = static_cast<int>(le32(p + 18));
            if (height) *height = std::abs(static_cast<int>(le32(p + 22)));
            return 1;
        case kTypePSD:
            if (n < 26) return 0;
            if (height) *height = static_cast<int>(be32(p + 14));
            if (width) *width = static_cast<int>(be32(p + 18));
            return 1;
        case kTypeUnknown:
        case kTypeWMF:
        case kTypeEMF: return 0;
        default: {
            if (!ensure_magick()) return 0;
            MagickWand* wand = NewMagickWand();
            if (!wand) return 0;
            if (guess_file_type(source) == kTypeTGA) MagickSetFormat(wand, "TGA");
            const bool ok = MagickPingImageBlob(wand, p, n) != MagickFalse;
            if (ok) {
                if (width) *width = static_cast<int>(MagickGetImageWidth(wand));
                if (height) *height = static_cast<int>(MagickGetImageHeight(wand));
            }
            DestroyMagickWand(wand);
            return ok ? 1 : 0;
        }
    }
}

int read_resolution(ImageSource* source, double* resolution, int* unit) noexcept
{
    if (!source || !resolution || !unit) return 0;
    const std::uint8_t* p = source->here();
    const std::size_t n = source->remaining();
    switch (guess_file_type(source)) {
        case kTypeBMP:
            if (n < 42) return 0;
            *resolution = static_cast<int>(le32(p + 38));
            *unit = 2;
            return 1;
        case kTypeJPG: return scan_jpeg(p, n, nullptr, nullptr, resolution, unit) ? 1 : 0;
        case kTypePNG: return scan_png_phys(p, n, resolution, unit) ? 1 : 0;
        case kTypeTIFF:
        case kTypePSD: return magick_resolution(p, n, resolution, unit) ? 1 : 0;
        default: return 0;
    }
}

}  // namespace mve::il
