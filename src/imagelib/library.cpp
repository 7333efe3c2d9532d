#include "imagelib/library.h"

#include <algorithm>

#include "core/runtime.h"

#include <tiffio.h>
#include <wand/MagickWand.h>

namespace mve::il {

namespace {

bool g_magick = false;

// libtiff prints to stderr by default; the engine reports failures through
// its return values only.
void silence_tiff() noexcept
{
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
}

// The engine reads any format ImageMagick knows (the generic import), from
// files a user picked, so ImageMagick is told at start-up never to run an
// outside program (every delegate: Ghostscript for PS/EPS/PDF/XPS/AI,
// converters for video and others) and never to use the coders that read
// other files, fetch URLs, run scripts or draw from text a file can carry:
// MSL (a scripting language that reads and writes files), MVG and SVG (draw
// primitives that embed other files), TEXT/LABEL/CAPTION/PANGO (read "@file"
// text), URL/HTTP/HTTPS/FTP, EPHEMERAL (deletes what it reads), MPC/CACHE
// (reads a second file beside the first), VID/TILE (read files they name),
// SHOW/WIN/X/SCREENSHOT (display and screen access), INLINE/MAGICK
// (built-in generators) and the Ghostscript formats. "@" indirect file lists
// are refused as paths. A policy can only be tightened, so a stricter system
// policy still wins.
constexpr const char* kMagickPolicy = R"(<policymap>
  <policy domain="delegate" rights="none" pattern="*"/>
  <policy domain="coder" rights="none" pattern="{MSL,MVG,SVG,SVGZ,MSVG,RSVG,TEXT,LABEL,CAPTION,PANGO}"/>
  <policy domain="coder" rights="none" pattern="{URL,HTTP,HTTPS,FTP,EPHEMERAL,MPC,CACHE,VID,TILE}"/>
  <policy domain="coder" rights="none" pattern="{SHOW,WIN,X,SCREENSHOT,INLINE,MAGICK}"/>
  <policy domain="coder" rights="none" pattern="{PS,PS2,PS3,EPS,EPSF,EPSI,EPI,EPT,PDF,EPDF,PDFA,AI,XPS,PCL}"/>
  <policy domain="path" rights="none" pattern="@*"/>
</policymap>)";

}  // namespace

bool ensure_magick() noexcept
{
    if (g_magick) return true;
    MagickWandGenesis();
    g_magick = IsMagickWandInstantiated() != MagickFalse;
    if (g_magick) {
        ExceptionInfo* exception = AcquireExceptionInfo();
        SetMagickSecurityPolicy(kMagickPolicy, exception);
        DestroyExceptionInfo(exception);
        // Decoding never needs more than the engine's own limit; a hostile
        // header must fail instead of asking for gigabytes.
        MagickSetResourceLimit(WidthResource, 65535);
        MagickSetResourceLimit(HeightResource, 65535);
        MagickSetResourceLimit(AreaResource, static_cast<MagickSizeType>(runtime().pixelLimit));
    }
    return g_magick;
}

bool magick_running() noexcept { return g_magick; }

int initialize() noexcept
{
    silence_tiff();
    return ensure_magick() ? 1 : 0;
}

void shutdown() noexcept
{
    if (!g_magick) return;
    MagickWandTerminus();
    g_magick = false;
}

long long decode_pixel_limit() noexcept
{
    return runtime().pixelLimit;
}

void set_decode_pixel_limit(long long pixels) noexcept
{
    runtime().pixelLimit = pixels > 0 ? pixels : 1;
    if (g_magick) MagickSetResourceLimit(AreaResource, static_cast<MagickSizeType>(runtime().pixelLimit));
}

bool acceptable_size(long long width, long long height) noexcept
{
    const Runtime& r = runtime();
    return width > 0 && height > 0 && width <= 65535 && height <= 65535 && width <= r.decodeMaxWidth &&
           height <= r.decodeMaxHeight && width * height <= r.pixelLimit;
}

DecodeBound::DecodeBound(long long maxWidth, long long maxHeight) noexcept
    : savedWidth_(runtime().decodeMaxWidth), savedHeight_(runtime().decodeMaxHeight)
{
    runtime().decodeMaxWidth = std::min(savedWidth_, maxWidth);
    runtime().decodeMaxHeight = std::min(savedHeight_, maxHeight);
}

DecodeBound::~DecodeBound()
{
    runtime().decodeMaxWidth = savedWidth_;
    runtime().decodeMaxHeight = savedHeight_;
}

}  // namespace mve::il
