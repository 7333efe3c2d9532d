// Demo: painting dab by dab. On a fresh 640 x 400 document it paints seven
// strokes with MVE_DrawDabGrit along walked curves: a soft round brush with
// tapers, a grit brush, a stroke on textured paper, a colour-bank stroke that
// maps the picked-up canvas onto four colours, a wet smear that drags existing
// paint along with remix, an eraser stroke and a mask-maker stroke that then
// resists a crossing stroke. Every stroke is one undo step; the last one is
// undone and redone to show the steps hold. Writes paint_strokes.png and
// paint_mask.png.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "demo.h"
#include "morvane/morvane.h"
#include "paint_host.h"

namespace {

using namespace mve_host;

constexpr int kW = 640, kH = 400;
constexpr int kMaxBrush = 128;
constexpr int kLayer = 2;         // the painted layer
constexpr int kPaperLayer = 3;    // "Texturize3" layer the paper grain comes from

// The tool with the given grit dot size, softness and pick-up; round shape.
void set_tool(int size, int gritDot, int softness, int blendStrength, int remix)
{
    MVE_SetSize(size);
    MVE_SetTool(1.0f, gritDot, 120, 200, softness, 0, 8, blendStrength, 0, remix, 0, 0, 0, "", "", 0);
    MVE_SetDensity(200);  // grit levels above 199 stay unpainted
}

// A wave from x0 to x1 around row y: sample points of the host's drag.
std::vector<StrokePoint> wave(double x0, double x1, double y, double amp, double pressure0, double pressure1)
{
    std::vector<StrokePoint> pts;
    for (int i = 0; i <= 8; ++i) {
        const double f = i / 8.0;
        pts.push_back({x0 + (x1 - x0) * f, y + amp * std::sin(f * 2 * M_PI), pressure0 + (pressure1 - pressure0) * f});
    }
    return pts;
}

// Layer 2 starts with a hue band near the bottom (for the pick-up strokes);
// layer 3 holds a woven paper grain.
void prepare_layers()
{
    std::vector<unsigned char> band(static_cast<std::size_t>(kW) * kH * 4, 0);
    std::vector<unsigned char> paper(band.size());
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            unsigned char* p = &band[(static_cast<std::size_t>(y) * kW + x) * 4];
            if (y >= 300 && y < 390 && x >= 20 && x < 620) {
                const double h = (x - 20) / 600.0 * 6.0;
                const auto ch = [&](double off) {
                    const double v = std::fabs(std::fmod(h + off, 6.0) - 3.0) - 1.0;
                    return static_cast<unsigned char>(std::clamp(v, 0.0, 1.0) * 230 + 15);
                };
                p[0] = ch(0), p[1] = ch(4), p[2] = ch(2), p[3] = 255;
            }
            // Weave: two crossing thread directions, light threads over dark gaps.
            const double weave = 0.5 + 0.25 * std::sin(x * 1.3) * std::sin(y * 0.4) + 0.25 * std::sin(y * 1.3 + x * 0.2);
            unsigned char* q = &paper[(static_cast<std::size_t>(y) * kW + x) * 4];
            q[0] = q[1] = q[2] = static_cast<unsigned char>(std::clamp(weave, 0.0, 1.0) * 255);
            q[3] = 255;
        }
    MVE_LoadRGBA32Layer(band.data(), kW * 4, kLayer, 0, 0, kW, kH, 0);
    MVE_LoadRGBA32Layer(paper.data(), kW * 4, kPaperLayer, 0, 0, kW, kH, 0);
}

bool new_document(DemoContext& ctx)
{
    MVE_DeleteImage();
    ctx.width = kW;
    ctx.height = kH;
    MVE_CreateImage(nullptr, kW, kH, kMaxBrush, 0);
    if (!check(MVE_CreateLayer(1, kW, kH) == 1 && MVE_CreateLayer(kLayer, kW, kH) == 1 &&
                   MVE_CreateLayer(kPaperLayer, kW, kH) == 1,
               "document layers"))
        return false;
    MVE_SetLayerOptions(1, 1, 0, 100, "Normal");
    MVE_SetLayer(1);
    MVE_Clear(250, 246, 236, 255);
    MVE_SetLayerOptions(kLayer, 1, 0, 100, "Normal");
    // Hidden: a visible "Texturize3" layer would hand its grain to every
    // dab; the paper is switched on for one stroke with MVE_CreateTexture.
    MVE_SetLayerOptions(kPaperLayer, 0, 0, 100, "Texturize3");
    prepare_layers();
    MVE_SetLayer(kLayer);
    MVE_SetUndoLevels(32);  // also refreshes the back buffer from layer 2
    MVE_SetUndoMB(64);
    MVE_SetRandomSeed(7);
    return true;
}

// End of a stroke painted into the PaintLayer: merge it, record the step.
void finish_wet_stroke()
{
    MVE_MergePaintLayer(kLayer);
    MVE_SaveUndoBuffer(1, 0);
}

// Strokes into the PaintLayer: soft round, grit, textured paper, colour banks.
bool paint_layer_strokes()
{
    MVE_CreatePaintLayer(100, 100, "Normal");

    StrokeStyle soft;
    soft.size = 36, soft.minSize = 0.3, soft.taperIn = 0.15, soft.taperOut = 0.3;
    set_tool(soft.size, 0, 160, 0, 0);
    int n = draw_stroke(wave(30, 610, 50, 18, 0.6, 1.0), soft, {0x2000, 0x4800, 0xD000});
    finish_wet_stroke();
    say("soft round stroke: %d dabs of up to %d px, tapered both ends", n, soft.size);

    StrokeStyle grit;
    grit.size = 40, grit.minSize = 0.6, grit.minAlpha = 0.5;
    set_tool(grit.size, 3, 60, 0, 0);
    n = draw_stroke(wave(30, 610, 115, -14, 0.4, 1.0), grit, {0xC800, 0x2000, 0x1800});
    finish_wet_stroke();
    say("grit stroke: %d dabs through 3-pixel grit dots, pattern changed every 8 dabs", n);

    StrokeStyle paper;
    paper.size = 48, paper.minSize = 0.8;
    set_tool(paper.size, 0, 90, 0, 0);
    if (!check(MVE_CreateTexture(kPaperLayer) == kW, "paper texture")) return false;
    n = draw_stroke(wave(30, 610, 180, 12, 1.0, 1.0), paper, {0x1800, 0x9000, 0x3000});
    MVE_DeleteTexture();
    finish_wet_stroke();
    say("textured stroke: %d dabs on the woven paper of layer %d", n, kPaperLayer);

    // Colour banks: every dab loads the canvas under it (c = 0, no brush
    // colour) and mode 251 maps its grey level onto four bank colours.
    StrokeStyle bank;
    bank.size = 56;
    set_tool(bank.size, 0, 40, 256, 0);
    MVE_SetColorBanks(40, 20, 70, 20, 120, 130, 240, 140, 30, 255, 245, 210);
    MVE_SetMixMode(251, 230);
    n = draw_stroke(wave(40, 600, 345, 8, 1.0, 1.0), bank, {0x8000, 0x8000, 0x8000},
                    [](const StrokeDab&, int x, int y) { MVE_CopyBlendBufferSurface(x, y, 0, 0); });
    finish_wet_stroke();
    say("colour-bank stroke: %d dabs, mix mode 251 over the hue band", n);
    MVE_DeletePaintLayer();
    return true;
}

// Wet smear straight into layer 2: each dab picks up the canvas where the
// previous dab was, so paint is dragged along; remix feeds it back. Alpha is
// locked so the gaps between the bands smear no transparency into the paint.
void smear_stroke()
{
    MVE_SetAlphaLocked(1);
    StrokeStyle wet;
    wet.size = 40, wet.minAlpha = 0.7, wet.taperOut = 0.2;
    set_tool(wet.size, 0, 200, 200, 1);
    int px = -1, py = -1;
    const int n = draw_stroke({{190, 40, 1}, {205, 120, 1}, {225, 200, 1}, {250, 385, 1}}, wet, {0, 0, 0},
                              [&](const StrokeDab&, int x, int y) {
                                  if (px < 0) px = x, py = y;
                                  MVE_CopyBlendBufferSurface(px, py, 0, 0);
                                  px = x, py = y;
                              });
    MVE_SetAlphaLocked(0);
    MVE_SaveUndoBuffer(1, 0);
    say("wet smear: %d dabs dragging paint down through the bands (strength 200, remix, alpha locked)", n);
}

void eraser_stroke()
{
    StrokeStyle eraser;
    eraser.size = 28, eraser.minSize = 0.5, eraser.taperIn = 0.2, eraser.taperOut = 0.2;
    set_tool(eraser.size, 0, 120, 0, 0);
    const int n = draw_stroke({{400, 25, 1}, {450, 120, 1}, {520, 235, 1}}, eraser, {0, 0, 0},
                              [](const StrokeDab&, int, int) { MVE_SetEraseModeOn(); });
    MVE_SaveUndoBuffer(1, 0);
    say("eraser stroke: %d dabs taking alpha out of layer %d", n, kLayer);
}

// A line painted into the Mask with value 0 (blocks), then a stroke across it
// with the Mask on: the paint stops at the line.
bool mask_strokes(const DemoContext& ctx)
{
    StrokeStyle line;
    line.size = 14;
    set_tool(line.size, 0, 60, 0, 0);
    const int n = draw_stroke({{560, 15, 1}, {555, 200, 1}, {565, 390, 1}}, line, {0, 0, 0},
                              [](const StrokeDab&, int, int) { MVE_SetMaskMakerOn(); });
    MVE_SaveUndoBuffer(0, 1);
    std::vector<unsigned short> mask(static_cast<std::size_t>(kW) * kH);
    MVE_GetMaskData16(mask.data());
    say("mask-maker stroke: %d dabs, Mask at the line centre %u (0 blocks)", n, mask[250 * kW + 558]);
    if (!check(mask[250 * kW + 558] < 4096 && mask[250 * kW + 400] == 65535, "mask line blocks, rest passes"))
        return false;
    std::vector<unsigned char> rgb(mask.size() * 3);
    for (std::size_t i = 0; i < mask.size(); ++i) rgb[i * 3] = rgb[i * 3 + 1] = rgb[i * 3 + 2] = mask[i] >> 8;
    const std::string maskPath = ctx.outDir + "/paint_mask.png";
    if (!check(write_png(maskPath, rgb.data(), kW, kH, 3), "paint_mask.png")) return false;
    say("wrote %s (%dx%d)", maskPath.c_str(), kW, kH);

    const unsigned int before = MVE_GetRGBAAtLayer(558, 250, kLayer);
    MVE_EnableMask(1);
    MVE_CreatePaintLayer(100, 100, "Normal");
    StrokeStyle cross;
    cross.size = 30;
    set_tool(cross.size, 0, 100, 0, 0);
    draw_stroke({{300, 250, 1}, {460, 245, 1}, {630, 252, 1}}, cross, {0xF000, 0x9000, 0x1000});
    finish_wet_stroke();
    MVE_DeletePaintLayer();
    MVE_EnableMask(0);
    const unsigned int painted = MVE_GetRGBAAtLayer(500, 250, kLayer);
    const unsigned int resisted = MVE_GetRGBAAtLayer(558, 250, kLayer);
    say("stroke across the mask line: painted beside it 0x%08X, on the line unchanged 0x%08X", painted, resisted);
    return check(resisted == before && (painted >> 24) > 0xC0 && (painted & 0xFF) > 0xC0,
                 "the mask line resists the crossing stroke");
}

long long alpha_sum(const std::vector<unsigned short>& plane)
{
    long long sum = 0;
    for (std::size_t i = 3; i < plane.size(); i += 4) sum += plane[i];
    return sum;
}

bool paint_strokes(DemoContext& ctx)
{
    if (!new_document(ctx) || !paint_layer_strokes()) return false;
    const auto beforeSmear = read_layer(ctx, kLayer);
    smear_stroke();
    const auto afterSmear = read_layer(ctx, kLayer);
    if (!check(afterSmear != beforeSmear, "the smear moved paint")) return false;

    const long long alphaBefore = alpha_sum(afterSmear);
    eraser_stroke();
    const long long alphaAfter = alpha_sum(read_layer(ctx, kLayer));
    say("alpha of layer %d: %lld before the eraser, %lld after (in 65535ths of a pixel)", kLayer, alphaBefore,
        alphaAfter);
    if (!check(alphaAfter < alphaBefore, "eraser took alpha out")) return false;

    const auto beforeMask = read_layer(ctx, kLayer);
    if (!mask_strokes(ctx)) return false;
    const auto finished = read_layer(ctx, kLayer);
    if (!write_composite(ctx, "paint_strokes.png")) return false;

    // Seven strokes on layer 2 and the mask line: eight steps. Undoing the
    // crossing stroke gives back layer 2 as it was before it; redo repaints it.
    say("undo steps: %d", MVE_GetUndoCount());
    if (!check(MVE_GetUndoCount() == 8, "one undo step per stroke")) return false;
    MVE_Undo();
    const bool undone = read_layer(ctx, kLayer) == beforeMask;
    MVE_Redo();
    const bool redone = read_layer(ctx, kLayer) == finished;
    say("undo of the last stroke restores layer %d exactly: %s; redo repaints it: %s", kLayer,
        undone ? "yes" : "no", redone ? "yes" : "no");
    MVE_SetMixMode(32, 128);
    MVE_SetRandomSeed(0);
    return check(undone && redone, "last stroke undone and redone");
}

}  // namespace

MVE_DEMO_STEP(850, "painting dab by dab", paint_strokes);
