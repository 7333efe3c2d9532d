// Copy and paste of a 1920x1080 picture through the X11 clipboard, round
// trip, under an Xvfb server of the program's own, beside xclip doing the
// same copy-then-paste with the same PNG in the same run.
//
// Engine/ThroughServer: the engine puts the layer-sized picture on the
//   clipboard (taking the selection, keeping the pixels) and another
//   connection reads it through the server: the conversion request, the PNG
//   encoding on the service thread, the incremental transfer and the PNG
//   decoding - what another program pasting from the engine costs.
// Engine/OwnSelection: the same copy, then the engine's own paste: the
//   server names the engine's window as the owner, and the pixels it holds
//   are staged without encoding, decoding or transfer.
// Xclip: `xclip -i` with the engine's PNG file (until it owns the selection),
//   then `xclip -o` into a file: two process starts and the transfer, no
//   encoding or decoding.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "../tests/support/run_program.h"
#include "../tests/support/xvfb_server.h"
#include "bench_util.h"
#include "engine/engine.h"
#include "exchange/clipboard.h"
#include "imagelib/reading.h"
#include "morvane/morvane.h"
#include "platform/clipboard.h"
#include "platform/clipboard_x11.h"
// Xlib last: its macros (None) clash with names in the headers above.
#include <X11/Xlib.h>

namespace {

constexpr int kW = 1920, kH = 1080;

const std::vector<unsigned char>& picture()
{
    static const std::vector<unsigned char> rgba = photo_like_picture(kW, kH, 7);
    return rgba;
}

// The server, with a connection of the program's own kept open all along:
// an X server with no clients left resets, and refuses connections while
// it does (between two runs, when the engine has closed its connections).
mve::test::XvfbServer& server()
{
    static mve::test::XvfbServer s;
    static Display* keeper = s.display().empty() ? nullptr : XOpenDisplay(nullptr);
    (void)keeper;
    return s;
}

void engine_through_server(benchmark::State& state)
{
    if (server().display().empty()) return state.SkipWithError("Xvfb could not be started");
    MVE_CreateImage(nullptr, kW, kH, 8, 0);
    const auto reader = mve::platform::SelectionReader::open();
    if (!reader) return state.SkipWithError("no display connection");
    for (auto _ : state) {
        MVE_RGBA32ToClipboardRect(picture().data(), 0, 0, kW, kH, 0);
        mve::platform::ClipboardContent content;
        if (reader->read(0, content) != mve::platform::X11Read::Ok)
            return state.SkipWithError("the selection could not be read");
        int w = 0, h = 0;
        std::uint8_t* block = mve::il::decode_png(content.bytes.data(), content.bytes.size(), &w, &h);
        if (!block || w != kW || h != kH) return state.SkipWithError("the picture did not come back");
        mve::il::release_block(block);
        state.counters["png_bytes"] = static_cast<double>(content.bytes.size());
    }
    MVE_DeleteImage();
}

void engine_own_selection(benchmark::State& state)
{
    if (server().display().empty()) return state.SkipWithError("Xvfb could not be started");
    MVE_CreateImage(nullptr, kW, kH, 8, 0);
    for (auto _ : state) {
        MVE_RGBA32ToClipboardRect(picture().data(), 0, 0, kW, kH, 0);
        if (MVE_FromClipboard() != 1) return state.SkipWithError("the picture did not come back");
    }
    MVE_DeleteImage();
}

void xclip_round_trip(benchmark::State& state)
{
    if (server().display().empty()) return state.SkipWithError("Xvfb could not be started");
    const std::string in = "/tmp/mve_clip_bench_" + std::to_string(getpid()) + ".png";
    const std::string out = in + ".out";
    const std::vector<std::uint8_t> png = mve::exchange::encode_clipboard_png(picture().data(), kW, kH);
    if (FILE* f = std::fopen(in.c_str(), "wb")) {
        std::fwrite(png.data(), 1, png.size(), f);
        std::fclose(f);
    }
    Display* d = XOpenDisplay(nullptr);
    const Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
    for (auto _ : state) {
        const Window before = XGetSelectionOwner(d, clipboard);
        mve::test::run_program({"xclip", "-selection", "clipboard", "-t", "image/png", "-i"}, in, "", 30);
        for (int i = 0; i < 5000 && XGetSelectionOwner(d, clipboard) == before; ++i) usleep(200);
        const auto r = mve::test::run_program({"xclip", "-selection", "clipboard", "-t", "image/png", "-o"},
                                              "", out, 30);
        if (!r.finished || r.status != 0) return state.SkipWithError("xclip -o failed");
    }
    XCloseDisplay(d);
    unlink(in.c_str());
    unlink(out.c_str());
    state.counters["png_bytes"] = static_cast<double>(png.size());
}

BENCHMARK(engine_through_server)
    ->Name("Clipboard1080p/Engine/ThroughServer")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(engine_own_selection)
    ->Name("Clipboard1080p/Engine/OwnSelection")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(xclip_round_trip)->Name("Clipboard1080p/Xclip")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
