// Demo: a Lua filter that paints by recording (record_strokes.lua writes a
// paint script instead of changing pixels), then the script played back on
// white paper with mve's brushes, the way `mve filter` + `mve play` do it.
// It builds a canvas of its own, so it runs last.
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "demo.h"
#include "morvane/morvane.h"
#include "paint_player.h"
#include "paint_script.h"

namespace {

using namespace mve_host;

constexpr int kW = 320, kH = 200, kMaxBrush = 128;

// Four bands of colour the filter turns into strokes (darker than 0.6 grey);
// the third band is light and gets none.
std::vector<unsigned char> banded_picture()
{
    const unsigned char bands[4][3] = {{30, 60, 170}, {170, 40, 30}, {235, 235, 220}, {20, 120, 60}};
    std::vector<unsigned char> rgba(static_cast<std::size_t>(kW) * kH * 4);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const unsigned char* c = bands[y * 4 / kH];
            unsigned char* p = &rgba[(static_cast<std::size_t>(y) * kW + x) * 4];
            p[0] = c[0], p[1] = c[1], p[2] = c[2], p[3] = 255;
        }
    return rgba;
}

bool record_and_play(DemoContext& ctx)
{
    const std::string startDir = ctx.outDir + "/";
    mkdir((startDir + "scripts").c_str(), 0755);
    MVE_CreateImage(nullptr, kW, kH, kMaxBrush, 0);
    if (!check(MVE_CreateLayer(1, kW, kH) == 1, "a canvas for the recording filter")) return false;
    MVE_SetLayer(1);
    const std::vector<unsigned char> picture = banded_picture();
    MVE_LoadRGBA32(picture.data(), kW * 4, 0);
    MVE_IPLAllocSrcBuffer32();
    MVE_IPLAllocDstBuffer32();
    MVE_SetStartDir(startDir.c_str());
    const std::string filter = std::string(MVE_FILTER_DIR) + "/record_strokes.lua";
    MVE_LuaFilterRun(filter.c_str(), 0, 600, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);

    std::ifstream in(startDir + "scripts/luapaint.srp", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    PaintScript script;
    ScriptError error;
    if (!check(in && parse_paint_script(text.str(), script, error), "the recorded paint script reads back"))
        return false;
    say("recorded %zu paint commands into %sscripts/luapaint.srp", script.commands.size(), startDir.c_str());

    MVE_Clear(255, 255, 255, 255);
    PlaybackResult result;
    if (!check(play_paint_script(script, kW, kH, kMaxBrush, result), "playback of the recorded script")) return false;
    std::vector<unsigned char> painted(picture.size());
    MVE_GetRGBA32(painted.data(), kW * 4);
    // Paint where the first stroke went (row 0, band 1's colour); the light band has none.
    const unsigned char* first = &painted[(static_cast<std::size_t>(2) * kW + kW / 2) * 4];
    const unsigned char* light = &painted[(static_cast<std::size_t>(kH * 9 / 16) * kW + kW / 2) * 4];
    if (!check(first[2] > first[0] + 60 && light[0] == 255 && light[1] == 255 && light[2] == 255,
               "strokes where the script put them"))
        return false;
    ctx.width = kW, ctx.height = kH;
    say("played %d commands", result.performed);
    return write_composite(ctx, "play_recorded_strokes.png");
}

}  // namespace

MVE_DEMO_STEP(1000, "a Lua filter records a paint script, playback paints it", record_and_play);
