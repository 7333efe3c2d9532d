// mve play SCRIPT.srp [--canvas IN | --size WxH] OUT: paints a recorded paint
// script onto a picture or onto white paper and writes the result.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli.h"
#include "demo.h"
#include "morvane/morvane.h"
#include "paint_player.h"
#include "paint_script.h"

namespace mve_host {

namespace {

constexpr int kMaxBrush = 256;
constexpr std::size_t kMaxScriptBytes = 256u << 20;

struct PlayArgs {
    std::string script, canvas, size, out;
};

bool read_text(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const auto size = in.tellg();
    if (size < 0 || static_cast<std::size_t>(size) > kMaxScriptBytes) return false;
    in.seekg(0);
    text.resize(static_cast<std::size_t>(size));
    in.read(text.data(), size);
    return static_cast<bool>(in);
}

// The canvas: a picture, or white paper of the given size (512 x 512 by default).
bool make_canvas(const PlayArgs& a, int& w, int& h)
{
    std::vector<unsigned char> rgba;
    if (!a.canvas.empty()) {
        if (!MVE_ReadFromFile(a.canvas.c_str())) return fail("play", "cannot read %s", a.canvas.c_str()), false;
        w = MVE_GetNewRGBAWidth(), h = MVE_GetNewRGBAHeight();
        rgba.resize(static_cast<std::size_t>(w) * h * 4);
        MVE_GetNewRGBA32(rgba.data());
        MVE_DeleteNewRGBA();
    } else if (!a.size.empty()) {
        char tail = 0;
        if (std::sscanf(a.size.c_str(), "%dx%d%c", &w, &h, &tail) != 2 || w < 1 || h < 1 || w > 20000 || h > 20000)
            return fail("play", "--size %s: give WxH, 1..20000 each", a.size.c_str()), false;
    }
    MVE_IPLInit(0);
    MVE_CreateImage(nullptr, w, h, kMaxBrush, 0);
    if (MVE_CreateLayer(1, w, h) != 1) return fail("play", "no memory for a %d x %d canvas", w, h), false;
    MVE_SetLayerOptions(1, 1, 0, 100, "Normal");
    MVE_SetLayer(1);
    if (rgba.empty())
        MVE_Clear(255, 255, 255, 255);
    else
        MVE_LoadRGBA32(rgba.data(), w * 4, 0);
    MVE_IPLAllocSrcBuffer32();
    MVE_IPLAllocDstBuffer32();
    return true;
}

int run_play(const PlayArgs& a)
{
    std::string text;
    if (!read_text(a.script, text)) return fail("play", "cannot read %s (missing, or above 256 MB)", a.script.c_str());
    PaintScript script;
    ScriptError error;
    if (!parse_paint_script(text, script, error))
        return fail("play", "%s line %d: %s", a.script.c_str(), error.line, error.message.c_str());
    int w = 512, h = 512;
    if (!make_canvas(a, w, h)) return 1;
    MVE_SetRandomSeed(static_cast<int>(script.seed));
    PlaybackResult result;
    bool played;
    {
        Progress progress("play");
        played = play_paint_script(script, w, h, kMaxBrush, result,
                                   [&](double f) { progress.set_fraction(f); });
    }
    std::vector<unsigned char> rgba(static_cast<std::size_t>(w) * h * 4);
    MVE_GetRGBA32(rgba.data(), w * 4);
    MVE_DeleteImage();
    MVE_IPLExit();
    if (!played)
        return fail("play", "%s line %d: %s", a.script.c_str(), result.error.line, result.error.message.c_str());
    if (!write_atomically(a.out, [&](const std::string& temp) {
            return MVE_WriteToFileRGBA32(rgba.data(), w, h, temp.c_str(), extension_of(a.out).c_str(), 72) == 1;
        }))
        return fail("play", "cannot write %s", a.out.c_str());
    std::printf("%s: %d commands played%s on %dx%d -> %s\n", a.script.c_str(), result.performed,
                script.ended ? "" : " (no ScriptEnd: the recording was cut short)", w, h, a.out.c_str());
    return 0;
}

void setup_play(CLI::App& mve)
{
    static PlayArgs a;
    auto* sub = mve.add_subcommand("play", "Paint a recorded paint script (.srp) onto a picture or onto white paper");
    sub->add_option("SCRIPT", a.script, "Paint script, as Lua filters record it (CR LF or LF lines)")->required();
    sub->add_option("OUT", a.out, "Output picture (format by extension)")->required();
    auto* canvas = sub->add_option("--canvas", a.canvas, "Picture to paint on");
    sub->add_option("--size", a.size, "White paper of WxH (default 512x512)")->excludes(canvas);
    sub->footer(
        "Brushes: SelectBrush takes a picture file as the brush shape (else the soft round brush),\n"
        "SetBrushSize 1..256, SetBrushOpacity 0..100, SetColor 0..255 (clamped). Strokes are walked\n"
        "through their points with the pressure recorded; Filter runs a registered effect by name.\n"
        "Buffers 0..15 hold canvas copies: BufferFromLayer/ToLayer/Copy/Clear/MergeLayer(b, opacity %,\n"
        "mode number)/FromMask/ToMask. SetPage is reported and skipped.");
    on_run(sub, [] { return run_play(a); });
}

}  // namespace

MVE_COMMAND(setup_play);

}  // namespace mve_host
