// mve record: paints a few strokes dab by dab and records the painting as it
// appears, as an AVI (MJPEG) and an animated GIF (frame differencing on, so
// only the strokes' new paint is stored per frame).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli.h"
#include "demo.h"
#include "morvane/morvane.h"
#include "paint_host.h"

namespace mve_host {

namespace {

constexpr int kLayer = 2;

struct Recording {
    int width = 0, height = 0;
    int frames = 0;
    std::vector<unsigned short> composite;
    std::vector<unsigned char> rgb;

    // The composite of the visible layers as RGB24, handed to both writers.
    void capture()
    {
        MVE_Merge(composite.data());
        for (std::size_t i = 0, n = static_cast<std::size_t>(width) * height; i < n; ++i)
            for (int c = 0; c < 3; ++c)
                rgb[i * 3 + c] = static_cast<unsigned char>(composite[i * 4 + c] >> 8);
        MVE_WriteAVI_RGB24(rgb.data(), width, height);
        MVE_WriteGIF_RGB24(rgb.data(), width, height);
        ++frames;
    }
};

// Sample points of a drag: a wave across the canvas at height y.
std::vector<StrokePoint> wave(int width, double y, double amplitude, double phase)
{
    std::vector<StrokePoint> points;
    for (int i = 0; i <= 8; ++i) {
        const double f = i / 8.0;
        points.push_back(
            {width * (0.08 + 0.84 * f), y + amplitude * std::sin(f * 2 * M_PI + phase), 0.5 + 0.5 * f});
    }
    return points;
}

struct RecordArgs {
    std::string out;
    int ms = 80, width = 480, height = 320, dabsPerFrame = 6;
    std::string size;
};

int run_record(RecordArgs a)
{
    if (!a.size.empty() && (std::sscanf(a.size.c_str(), "%dx%d", &a.width, &a.height) != 2 || a.width < 16 ||
                            a.height < 16 || a.width > 8000 || a.height > 8000))
        return fail("record", "--size %s: give WxH, 16..8000 each", a.size.c_str());
    const int width = a.width, height = a.height, ms = a.ms, dabsPerFrame = a.dabsPerFrame;
    const std::string& out = a.out;
    MVE_CreateImage(nullptr, width, height, 128, 0);
    if (MVE_CreateLayer(1, width, height) != 1 || MVE_CreateLayer(kLayer, width, height) != 1) {
        return fail("record", "cannot create a %d x %d canvas", width, height);
    }
    MVE_SetLayerOptions(1, 1, 0, 100, "Normal");
    MVE_SetLayer(1);
    MVE_Clear(250, 246, 236, 255);
    MVE_SetLayerOptions(kLayer, 1, 0, 100, "Normal");
    MVE_SetLayer(kLayer);
    MVE_SetRandomSeed(7);

    Recording rec;
    rec.width = width, rec.height = height;
    rec.composite.resize(static_cast<std::size_t>(width) * height * 4);
    rec.rgb.resize(static_cast<std::size_t>(width) * height * 3);
    MVE_SetAVICodec(0, 90);
    MVE_SetGIFFrameDifferencing(1);
    MVE_CreateAVI((out + ".avi").c_str(), ms);
    MVE_CreateGIF((out + ".gif").c_str(), ms, nullptr);
    rec.capture();  // the empty paper

    // Straight into the layer (no PaintLayer), so the composite shows every dab.
    const Colour16 colours[] = {{0x2000, 0x4800, 0xD000},
                                {0xC800, 0x2000, 0x1800},
                                {0x1800, 0x9000, 0x3000},
                                {0xE000, 0xA000, 0x1000}};
    int dabs = 0, sinceFrame = 0;
    Progress progress("record");
    for (int s = 0; s < 4; ++s) {
        progress.set_fraction(s / 4.0);
        StrokeStyle style;
        style.size = std::max(8, height / 10);
        style.minSize = 0.4, style.taperIn = 0.1, style.taperOut = 0.25;
        MVE_SetSize(style.size);
        MVE_SetTool(1.0f, 0, 120, 200, 140, 0, 8, 0, 0, 0, 0, 0, 0, "", "", 0);
        const double y = height * (0.2 + 0.2 * s);
        dabs +=
            draw_stroke(wave(width, y, height * 0.06, s), style, colours[s], [&](const StrokeDab&, int, int) {
                if (++sinceFrame >= dabsPerFrame) sinceFrame = 0, rec.capture();
            });
        rec.capture();  // the finished stroke
    }
    MVE_CloseAVI();
    MVE_CloseGIF();
    MVE_DeleteImage();
    say("recorded %d dabs in %d frames of %dx%d at %d ms: %s.avi, %s.gif", dabs, rec.frames, width, height,
        ms, out.c_str(), out.c_str());
    return 0;
}

void setup_record(CLI::App& mve)
{
    static RecordArgs a;
    auto* sub = mve.add_subcommand("record", "Paint the demo strokes and record them as OUT.avi and OUT.gif");
    sub->add_option("OUT", a.out, "Output name without extension")->required();
    sub->add_option("--ms", a.ms, "Milliseconds a frame")->check(CLI::Range(1, 60000))->capture_default_str();
    sub->add_option("--size", a.size, "Canvas WxH (default 480x320)");
    sub->add_option("--dabs-per-frame", a.dabsPerFrame, "Dabs painted between frames")
        ->check(CLI::Range(1, 100000))
        ->capture_default_str();
    on_run(sub, [] { return run_record(a); });
}

}  // namespace

MVE_COMMAND(setup_record);

}  // namespace mve_host
