// The AVI exports: one recording at a time, of the canvas size at creation.
#include <vector>

#include "core/guard.h"
#include "exchange/avi_writer.h"
#include "exchange/exchange.h"
#include "morvane/morvane.h"

namespace mve::exchange {

namespace {

RecordingState& recording() noexcept
{
    return exchange_state().recording;
}

// Appends a frame when a recording is open, has not failed and the frame has
// its size; anything else is ignored.
void write_avi_frame(const std::uint8_t* rgb, int width, int height)
{
    AviWriter* avi = recording().avi.get();
    if (!avi || avi->failed() || !rgb || width != avi->width() || height != avi->height()) return;
    avi->write_frame(rgb);
}

}  // namespace

void create_avi(const char* path, int msPerFrame, int width, int height)
{
    RecordingState& r = recording();
    // A second creation finishes the open recording first: it stays playable.
    finish_recording(r.avi);
    if (!path || width <= 0 || height <= 0 || msPerFrame <= 0) return;
    AviOptions options;
    options.codec = r.aviCodec == 1 ? AviCodec::Dib : AviCodec::Mjpeg;
    options.quality = r.aviQuality;
    auto avi = std::make_shared<AviWriter>();
    if (avi->open(path, width, height, msPerFrame, options)) r.avi = std::move(avi);
}

void write_avi_bitmap(const char* path)
{
    if (!recording().avi || !path) return;
    const Decoded picture = decode_file(path);
    if (!picture) return;
    const std::size_t pixels = static_cast<std::size_t>(picture.width) * picture.height;
    std::vector<std::uint8_t> rgb(pixels * 3);
    const std::uint8_t* s = picture.pixels.get();
    for (std::size_t i = 0; i < pixels; ++i)
        rgb[i * 3] = s[i * 4], rgb[i * 3 + 1] = s[i * 4 + 1], rgb[i * 3 + 2] = s[i * 4 + 2];
    write_avi_frame(rgb.data(), picture.width, picture.height);
}

void close_avi()
{
    finish_recording(recording().avi);
}

}  // namespace mve::exchange

using namespace mve;
using namespace mve::exchange;

extern "C" {

MVE_API void MVE_CreateAVI(const char* path, int msPerFrame)
{
    guarded("CreateAVI Excpt", [&] {
        const CanvasState& c = engine().canvas;
        create_avi(path, msPerFrame, c.width, c.height);
    });
}

MVE_API void MVE_WriteAVI(const char* bitmapPath)
{
    guarded("WriteAVI Excpt", [&] { write_avi_bitmap(bitmapPath); });
}

MVE_API void MVE_WriteAVI_RGB24(const unsigned char* pixels, int width, int height)
{
    guarded("WriteAVI_RGB24 Excpt", [&] { write_avi_frame(pixels, width, height); });
}

MVE_API void MVE_CloseAVI(void)
{
    guarded("CloseAVI Excpt", [&] { close_avi(); });
}

MVE_API void MVE_SetAVICodec(int codec, int quality)
{
    RecordingState& r = exchange_state().recording;
    r.aviCodec = codec == 1 ? 1 : 0;
    r.aviQuality = quality >= 1 && quality <= 100 ? quality : 90;
}

}  // extern "C"
