// Pictures to and from the platform clipboard: our own picture kept as
// pixels (PNG, and BMP for programs that know only that, made when first
// asked for), PNG, BMP or JPEG in from other programs, always through the
// staging image; and the two exports that let a host carry the
// PNG bytes itself (toolkits that own the clipboard, as on Wayland).
#include <cstring>
#include <memory>

#include "core/guard.h"
#include "core/transfer.h"
#include "exchange/clipboard.h"
#include "exchange/exchange.h"
#include "imagelib/reading.h"
#include "imagelib/writing.h"
#include "morvane/morvane.h"
#include "platform/clipboard.h"

namespace mve::exchange {

namespace {

// zlib level 1 and the Sub row filter alone: a clipboard picture lives
// briefly, and this encodes a photo several times faster than the file
// writers' level 6 with adaptive filtering, for somewhat more bytes.
constexpr int kClipboardPngLevel = 1;

struct DestCloser {
    void operator()(il::ImageDest* d) const noexcept { il::discard_dest(d); }
};

// Our picture on the clipboard. The pixels are kept as they are: our own
// paste takes them back without encoding or decoding. The PNG is made when
// another program or the host first asks for it (unless the host handed it
// over ready), the BMP likewise for programs that ask only for image/bmp.
class PictureOffer final : public platform::ClipboardOffer {
public:
    PictureOffer(ClipPicture picture, std::vector<std::uint8_t> readyPng)
        : picture_(std::move(picture)), readyPng_(std::move(readyPng))
    {
    }
    const ClipPicture& picture() const noexcept { return picture_; }

protected:
    std::vector<std::uint8_t> make_png() const override
    {
        if (!readyPng_.empty()) return readyPng_;
        return encode_clipboard_png(picture_.data(), picture_.width, picture_.height);
    }
    // 24-bit: BMP readers widely ignore a fourth channel.
    std::vector<std::uint8_t> make_bmp() const override
    {
        const int w = picture_.width, h = picture_.height;
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * h * 3);
        core::rgba_to_rgb(rgb.data(), w, h, picture_.data());
        std::unique_ptr<il::ImageDest, DestCloser> dest(il::open_memory_dest());
        if (!dest || !il::write_bmp(dest.get(), rgb.data(), w, h, w * 3, 24, 0, 0, 0)) return {};
        return std::move(dest->bytes);
    }

private:
    ClipPicture picture_;
    std::vector<std::uint8_t> readyPng_;
};

bool offer_picture(Engine& e, ClipPicture picture, std::vector<std::uint8_t> readyPng)
{
    if (picture.empty()) return false;
    return platform::offer_clipboard(
        e.platform, std::make_shared<const PictureOffer>(std::move(picture), std::move(readyPng)));
}

// Our own offer's picture, or null when the offer is not ours.
const ClipPicture* own_picture(const platform::ClipboardContent& c)
{
    const auto* offer = dynamic_cast<const PictureOffer*>(c.own.get());
    return offer ? &offer->picture() : nullptr;
}

// A decoded clipboard picture and the format its bytes turned out to be.
struct ClipDecoded : Decoded {
    platform::ClipboardFormat format = platform::ClipboardFormat::Png;
};

// Decodes by the bytes' own signature first: some owners (xclip among them)
// answer every target with whatever they hold, labelled as the target asked for.
ClipDecoded decode_clipboard(const platform::ClipboardContent& c)
{
    const std::uint8_t* b = c.bytes.data();
    const std::size_t n = c.bytes.size();
    platform::ClipboardFormat format = c.format;
    if (n >= 8 && std::memcmp(b, "\x89PNG\r\n\x1a\n", 8) == 0)
        format = platform::ClipboardFormat::Png;
    else if (n >= 2 && b[0] == 'B' && b[1] == 'M')
        format = platform::ClipboardFormat::Bmp;
    else if (n >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF)
        format = platform::ClipboardFormat::Jpeg;
    ClipDecoded d;
    std::uint8_t* block = nullptr;
    switch (format) {
        case platform::ClipboardFormat::Png:
            block = il::decode_png(b, n, &d.width, &d.height);
            break;
        case platform::ClipboardFormat::Jpeg:
            block = il::decode_jpeg(b, n, &d.width, &d.height);
            break;
        case platform::ClipboardFormat::Bmp:
            block = il::decode_magick(b, n, "BMP", &d.width, &d.height);
            break;
    }
    d.pixels.reset(block);
    d.format = format;
    return d;
}

}  // namespace

ClipPicture make_picture(int width, int height)
{
    require(width > 0 && height > 0);
    ClipPicture p;
    p.rgba.assign(static_cast<std::size_t>(width) * height * 4, 0);
    p.width = width;
    p.height = height;
    return p;
}

std::vector<std::uint8_t> encode_clipboard_png(const std::uint8_t* rgba, int width, int height)
{
    require(rgba && width > 0 && height > 0);
    std::unique_ptr<il::ImageDest, DestCloser> dest(il::open_memory_dest());
    require(dest != nullptr);
    dest->pngCompression = kClipboardPngLevel;
    dest->pngFastFilter = true;
    require(il::write_png(dest.get(), rgba, width, height, width * 4, 8, 6, 0, 0, 0) != 0);
    return std::move(dest->bytes);
}

bool put_on_clipboard(Engine& e, ClipPicture picture)
{
    return offer_picture(e, std::move(picture), {});
}

bool put_png_on_clipboard(Engine& e, std::vector<std::uint8_t> png)
{
    int w = 0, h = 0;
    Decoded d;
    d.pixels.reset(il::decode_png(png.data(), png.size(), &w, &h));
    if (!d) return false;
    ClipPicture picture = make_picture(w, h);
    std::memcpy(picture.data(), d.pixels.get(), picture.rgba.size());
    return offer_picture(e, std::move(picture), std::move(png));
}

ClipRead read_clipboard_into_staging(Engine& e)
{
    platform::ClipboardContent content;
    switch (platform::read_clipboard(e.platform, content)) {
        case platform::ReadResult::Empty:
            return ClipRead::Empty;
        case platform::ReadResult::Failed:
            return ClipRead::Failed;
        case platform::ReadResult::Ok:
            break;
    }
    if (const ClipPicture* own = own_picture(content))
        return stage_rgba32(e.exchange.staging, own->data(), own->width, own->height) ? ClipRead::Ok
                                                                                      : ClipRead::Failed;
    const ClipDecoded d = decode_clipboard(content);
    if (!d) return ClipRead::Failed;
    return read_into_staging(e.exchange.staging, d) ? ClipRead::Ok : ClipRead::Failed;
}

bool stage_clipboard(Engine& e)
{
    const ClipRead r = read_clipboard_into_staging(e);
    require(r != ClipRead::Failed);
    return r == ClipRead::Ok;
}

std::vector<std::uint8_t> clipboard_png(Engine& e)
{
    platform::ClipboardContent content;
    if (platform::read_clipboard(e.platform, content) != platform::ReadResult::Ok) return {};
    if (content.own) return content.own->png();
    const ClipDecoded d = decode_clipboard(content);
    if (!d) return {};  // only bytes that decode are handed on
    if (d.format == platform::ClipboardFormat::Png) return std::move(content.bytes);
    return encode_clipboard_png(d.pixels.get(), d.width, d.height);
}

ClipPicture staged_picture(const StagingImage& s)
{
    ClipPicture p;
    const std::size_t n = static_cast<std::size_t>(std::max(s.width, 0)) * std::max(s.height, 0) * 4;
    if (!s.pixels || n == 0 || s.pixels.size() < n) return p;
    p.rgba.assign(s.pixels.data(), s.pixels.data() + n);
    p.width = s.width;
    p.height = s.height;
    return p;
}

}  // namespace mve::exchange

using mve::guarded;
namespace ex = mve::exchange;

extern "C" {

MVE_API int MVE_SetClipboardPNG(const unsigned char* png, int size)
{
    return guarded("SetClipboardPNG Excpt", 0, [&] {
        if (!png || size <= 0) return 0;
        return ex::put_png_on_clipboard(mve::engine(), std::vector<std::uint8_t>(png, png + size)) ? 1 : 0;
    });
}

MVE_API int MVE_GetClipboardPNG(unsigned char* destination, int capacity)
{
    return guarded("GetClipboardPNG Excpt", 0, [&] {
        const std::vector<std::uint8_t> png = ex::clipboard_png(mve::engine());
        if (png.empty() || png.size() > 0x7fffffff) return 0;
        if (destination && capacity >= static_cast<int>(png.size()))
            std::memcpy(destination, png.data(), png.size());
        return static_cast<int>(png.size());
    });
}

}  // extern "C"
