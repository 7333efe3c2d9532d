// The animated GIF exports: one recording at a time, of the canvas size at creation.
#include "core/guard.h"
#include "exchange/exchange.h"
#include "exchange/gif_writer.h"
#include "morvane/morvane.h"

namespace mve::exchange {

void create_gif(const char* path, int msPerFrame, const std::uint8_t* palette, int width, int height)
{
    RecordingState& r = exchange_state().recording;
    // A second creation finishes the open recording first: it stays playable.
    finish_recording(r.gif);
    if (!path || width <= 0 || height <= 0) return;
    auto gif = std::make_shared<GifWriter>();
    // The delay is kept in hundredths of a second, as GIF stores it.
    if (gif->open(path, width, height, msPerFrame / 10, palette, r.gifDifferencing)) r.gif = std::move(gif);
}

void write_gif_frame(const std::uint8_t* rgb, int width, int height)
{
    GifWriter* gif = exchange_state().recording.gif.get();
    if (!gif || gif->failed() || !rgb || width != gif->width() || height != gif->height()) return;
    gif->write_frame(rgb);
}

void close_gif()
{
    finish_recording(exchange_state().recording.gif);
}

}  // namespace mve::exchange

using namespace mve;
using namespace mve::exchange;

extern "C" {

MVE_API void MVE_CreateGIF(const char* path, int msPerFrame, const unsigned char* palette)
{
    guarded("CreateGIF Excpt", [&] {
        const CanvasState& c = engine().canvas;
        create_gif(path, msPerFrame, palette, c.width, c.height);
    });
}

MVE_API void MVE_WriteGIF_RGB24(const unsigned char* pixels, int width, int height)
{
    guarded("WriteGIF_RGB24 Excpt", [&] { write_gif_frame(pixels, width, height); });
}

MVE_API void MVE_CloseGIF(void)
{
    guarded("CloseGIF Excpt", [&] { close_gif(); });
}

MVE_API void MVE_SetGIFFrameDifferencing(int on)
{
    exchange_state().recording.gifDifferencing = on != 0;
}

}  // extern "C"
