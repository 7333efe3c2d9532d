// Paint-script playback (see paint_player.h). Strokes are walked by the demo
// host's stroke walker and painted dab by dab with MVE_DrawDabGrit; tools go
// to the engine's exports of the same name.
#include "paint_player.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <sys/stat.h>
#include <vector>

#include "effect_call.h"
#include "morvane/morvane.h"
#include "paint_host.h"

namespace mve_host {

namespace {

constexpr int kBufferCount = 16;
constexpr double kFarOff = 65536;  // coordinates beyond this are absurd, not just off the canvas

using Pixels = std::vector<unsigned short>;

class Player {
public:
    Player(int w, int h, int maxBrush) : w_(w), h_(h), maxBrush_(maxBrush)
    {
        style_.size = std::min(16, maxBrush);
        style_.alpha = 100;
        rebuild_brush();
        MVE_SetDensity(200);
        MVE_SetAlpha(100);
        MVE_SetColor(0, 0, 0);
    }

    // false with error.message set when the command cannot be performed.
    bool perform(const ScriptCommand& c, PlaybackResult& r);

private:
    int w_, h_, maxBrush_;
    StrokeStyle style_;
    Colour16 colour_;
    bool stroking_ = false;
    std::vector<StrokePoint> stroke_;
    std::map<int, Pixels> buffers_;
    std::string shapePath_;  // empty: the soft round brush
    int shapeAngle_ = 0;

    // The brush shape is built at the full size: a new size or shape needs
    // the tool set up again.
    void rebuild_brush()
    {
        MVE_SetSize(style_.size);
        MVE_SetTool(1.0f, 0, 120, 200, 140, 0, 8, 0, 0, 0, 0, 0, 0, "", shapePath_.c_str(), shapeAngle_);
    }

    bool reject(PlaybackResult& r, const ScriptCommand& c, const std::string& why)
    {
        r.error.line = c.line;
        r.error.message = c.keyword + ": " + why;
        return false;
    }
    bool coordinates_ok(const ScriptCommand& c, std::size_t from, std::size_t count) const
    {
        for (std::size_t k = from; k < from + count; ++k)
            if (std::fabs(c.numbers[k]) > kFarOff) return false;
        return true;
    }
    static int clamp_byte(double v) { return std::clamp(static_cast<int>(v), 0, 255); }
    int n(const ScriptCommand& c, std::size_t k) const { return static_cast<int>(std::lround(c.numbers[k])); }

    void paint(const std::vector<StrokePoint>& points) { draw_stroke(points, style_, colour_); }
    void finish_stroke()
    {
        if (!stroke_.empty() && stroke_[0].pressure < 0) stroke_[0].pressure = 1;
        if (stroking_ && !stroke_.empty()) paint(stroke_);
        stroking_ = false;
        stroke_.clear();
    }
    bool buffer_index(const ScriptCommand& c, std::size_t k, int& index) const
    {
        index = n(c, k);
        return index >= 0 && index < kBufferCount;
    }
    Pixels& buffer(int index)
    {
        Pixels& b = buffers_[index];
        b.resize(static_cast<std::size_t>(w_) * h_ * 4, 0);
        return b;
    }
    bool buffers(const ScriptCommand& c, PlaybackResult& r);
    bool stroke(const ScriptCommand& c, PlaybackResult& r);
    bool brush(const ScriptCommand& c, PlaybackResult& r);
    bool tools(const ScriptCommand& c, PlaybackResult& r);
};

bool Player::stroke(const ScriptCommand& c, PlaybackResult& r)
{
    const std::string& k = c.keyword;
    if (k == "DrawStart") {
        if (!coordinates_ok(c, 0, 2)) return reject(r, c, "the point is far off the canvas");
        finish_stroke();
        stroking_ = true;
        // -1: no pressure recorded for the first point; it takes the next one's.
        stroke_.push_back({c.numbers[0], c.numbers[1], c.numbers[2] < 0 ? -1 : c.numbers[2]});
    } else if (k == "SmoothPlot2") {
        if (c.numbers[3] != 0) return true;  // the marker that opens a stroke
        if (c.numbers[4] != 0) {             // the marker that closes it
            finish_stroke();
            return true;
        }
        if (!stroking_) return reject(r, c, "a stroke point outside DrawStart .. DrawStop");
        if (!coordinates_ok(c, 0, 2)) return reject(r, c, "the point is far off the canvas");
        const double p = std::clamp(c.numbers[2], 0.0, 1.0);
        if (stroke_.size() == 1 && stroke_[0].pressure < 0) stroke_[0].pressure = p;
        stroke_.push_back({c.numbers[0], c.numbers[1], p});
    } else if (k == "DrawStop") {
        finish_stroke();
    } else if (k == "Line2") {
        if (!coordinates_ok(c, 0, 4)) return reject(r, c, "an end is far off the canvas");
        paint({{c.numbers[0], c.numbers[1], 1}, {c.numbers[2], c.numbers[3], 1}});
    } else if (k == "Spline") {
        if (!coordinates_ok(c, 0, 8)) return reject(r, c, "a control point is far off the canvas");
        // A smooth curve through the four points, as a stroke at full pressure.
        std::vector<StrokePoint> points;
        for (int i = 0; i < 4; ++i) points.push_back({c.numbers[i * 2], c.numbers[i * 2 + 1], 1});
        paint(points);
    } else if (k == "Dab") {
        if (!coordinates_ok(c, 0, 2)) return reject(r, c, "the dab is far off the canvas");
        paint({{c.numbers[0], c.numbers[1], std::clamp(c.numbers[2], 0.0, 1.0)}});
    } else {
        return false;
    }
    return true;
}

bool Player::brush(const ScriptCommand& c, PlaybackResult& r)
{
    const std::string& k = c.keyword;
    if (k == "SelectBrush") {
        // A picture file is the brush shape (at the angle of the second
        // argument); anything else, a brush number of another program
        // included, selects the soft round brush.
        struct stat st;
        const bool file = stat(c.text[0].c_str(), &st) == 0 && S_ISREG(st.st_mode);
        shapePath_ = file ? c.text[0] : "";
        shapeAngle_ = n(c, 1);
        rebuild_brush();
    } else if (k == "SetBrushSize") {
        if (n(c, 0) < 1 || n(c, 0) > maxBrush_)
            return reject(r, c, "size " + c.text[0] + " is outside 1.." + std::to_string(maxBrush_));
        style_.size = n(c, 0);
        rebuild_brush();
    } else if (k == "SetBrushDensity") {
        if (n(c, 0) < 1 || n(c, 0) > 1000) return reject(r, c, "density " + c.text[0] + " is outside 1..1000");
        MVE_SetDensity(n(c, 0));
    } else if (k == "SetBrushOpacity") {
        if (c.numbers[0] < 0 || c.numbers[0] > 100) return reject(r, c, "opacity " + c.text[0] + " is outside 0..100");
        style_.alpha = std::max(1, n(c, 0));
        MVE_SetAlpha(style_.alpha);
    } else if (k == "SetColor") {
        // The recorder does not clamp (2.0 writes 510): the player does.
        const int cr = clamp_byte(c.numbers[0]), cg = clamp_byte(c.numbers[1]), cb = clamp_byte(c.numbers[2]);
        MVE_SetColor(cr, cg, cb);
        colour_ = {cr << 8, cg << 8, cb << 8};
    } else if (k == "SetColorBanks") {
        int v[12];
        for (int i = 0; i < 12; ++i) v[i] = clamp_byte(c.numbers[i + 1]);
        MVE_SetColorBanks(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11]);
    } else if (k == "RotateBrush") {
        MVE_SetRotateBrushMode(n(c, 0) != 0 ? 1 : 0, n(c, 1));
    } else {
        return false;
    }
    return true;
}

bool Player::buffers(const ScriptCommand& c, PlaybackResult& r)
{
    const std::string& k = c.keyword;
    if (k.rfind("Buffer", 0) != 0) return false;
    int a = 0, b = 0;
    if (!buffer_index(c, 0, a) || (k == "BufferCopy" && !buffer_index(c, 1, b)))
        return reject(r, c, "buffer numbers are 0.." + std::to_string(kBufferCount - 1));
    const int layer = MVE_GetLayerNum();
    if (k == "BufferFromLayer") {
        MVE_GetRGBA64Layer(buffer(a).data(), w_ * 8, layer);
    } else if (k == "BufferToLayer") {
        MVE_SetRGBA64Layer(buffer(a).data(), w_ * 8, layer);
    } else if (k == "BufferCopy") {
        buffer(b) = buffer(a);
    } else if (k == "BufferClear") {
        std::fill(buffer(a).begin(), buffer(a).end(), 0);
    } else if (k == "BufferMergeLayer") {
        // Buffer a over the current layer with opacity (percent) and blend mode number.
        const Pixels& src = buffer(a);
        std::vector<unsigned char> rgba(src.size());
        for (std::size_t i = 0; i < src.size(); ++i) rgba[i] = static_cast<unsigned char>(src[i] >> 8);
        const int opacity = std::clamp(n(c, 1), 0, 100) * 256 / 100;
        MVE_MergeRGBA32Layer(rgba.data(), layer, std::clamp(n(c, 2), 0, 63), opacity);
    } else if (k == "BufferFromMask") {
        Pixels mask(static_cast<std::size_t>(w_) * h_);
        MVE_GetMaskData16(mask.data());
        Pixels& dst = buffer(a);
        for (std::size_t i = 0; i < mask.size(); ++i)
            dst[i * 4] = dst[i * 4 + 1] = dst[i * 4 + 2] = mask[i], dst[i * 4 + 3] = 65535;
    } else if (k == "BufferToMask") {
        const Pixels& src = buffer(a);
        Pixels mask(static_cast<std::size_t>(w_) * h_);
        for (std::size_t i = 0; i < mask.size(); ++i)
            mask[i] = static_cast<unsigned short>((src[i * 4] + src[i * 4 + 1] + src[i * 4 + 2]) / 3);
        MVE_SetMaskData16(mask.data());
    } else {
        return false;
    }
    return true;
}

bool Player::tools(const ScriptCommand& c, PlaybackResult& r)
{
    const std::string& k = c.keyword;
    const auto arg = [&](std::size_t i) { return n(c, i); };
    if (k == "Filter") {
        if (!known_effect(c.text[0])) return reject(r, c, "no effect named \"" + c.text[0] + "\"");
        EffectCall call;
        call.seed = arg(1);
        for (int i = 0; i < 6; ++i) call.p[i] = arg(2 + i);
        for (int i = 0; i < 8; ++i) call.i[i] = arg(8 + i);
        call.rgb = {arg(16), arg(17), arg(18)};
        call.text = c.text[19] == "0" ? "" : c.text[19];
        if (!apply_effect(c.text[0], call)) return reject(r, c, std::string("failed: ") + MVE_GetLastError());
    } else if (k == "ImageFlipHorizontal") {
        MVE_IPLAllocSrcBuffer32();
        MVE_IPLFlipHorizontal();
    } else if (k == "ImageFlipVertical") {
        MVE_IPLAllocSrcBuffer32();
        MVE_IPLFlipVertical();
    } else if (k == "ClearPage") {
        MVE_Clear(255, 255, 255, 255);  // back to white paper
    } else if (k == "FillPage") {
        MVE_Clear(colour_.r >> 8, colour_.g >> 8, colour_.b >> 8, 255);
    } else if (k == "MaskOn") {
        MVE_EnableMask(arg(0) != 0 ? 1 : 0);
    } else if (k == "MaskClear") {
        MVE_ClearMask(65535, 65535, 65535);  // nothing held back: the whole canvas passes
    } else if (k == "MaskInvert") {
        MVE_InvertMask();
    } else if (k == "ImageCreateFromMask") {
        MVE_CreateImageFromMask();
    } else if (k == "AlphaCreateFromMask") {
        MVE_CreateAlphaFromMask(0);
    } else if (k == "MaskCreateFromImage") {
        MVE_CreateMaskFromImage();
    } else if (k == "MaskCreateFromImageLuma") {
        MVE_CreateMaskFromImageLuma();
    } else if (k == "MaskCreateFromAlpha") {
        MVE_CreateMaskFromAlpha();
    } else if (k == "Flood Fill") {
        if (!coordinates_ok(c, 3, 2)) return reject(r, c, "the seed point is far off the canvas");
        MVE_IPLFloodFill(arg(0), arg(1), arg(2), arg(3), arg(4), arg(5), c.text[6].c_str());
    } else if (k == "Rectangle" || k == "Ellipse") {
        if (!coordinates_ok(c, 3, 4)) return reject(r, c, "a corner is far off the canvas");
        (k == "Rectangle" ? MVE_IPLRectangle : MVE_IPLEllipse)(arg(0), arg(1), arg(2), arg(3), arg(4), arg(5),
                                                             arg(6), arg(7));
    } else if (k == "Text") {
        MVE_IPLAllocSrcBuffer32();
        MVE_IPLText(arg(0), arg(1), arg(2), arg(3), arg(4), arg(5), arg(6), arg(7), arg(8), c.text[9].c_str(), true);
    } else if (k == "Gradient") {
        if (!coordinates_ok(c, 13, 4)) return reject(r, c, "an end is far off the canvas");
        MVE_IPLGradient(arg(0), arg(1), arg(2), arg(3), arg(4), arg(5), arg(6), arg(7), arg(8), arg(9), arg(10),
                        arg(11), arg(12), arg(13), arg(14), arg(15), arg(16), c.text[17].c_str());
    } else if (k == "MaskEllipse" || k == "MaskRectangle") {
        if (!coordinates_ok(c, 0, 4)) return reject(r, c, "a corner is far off the canvas");
        (k == "MaskEllipse" ? MVE_IPLMaskEllipse : MVE_IPLMaskRectangle)(arg(0), arg(1), arg(2), arg(3), arg(4), 0,
                                                                         "Replace");
    } else if (k == "MaskWand") {
        MVE_IPLMaskWand(arg(0), arg(1), arg(2), arg(3), c.text[4].c_str());
    } else if (k == "CopyTool") {
        MVE_ToClipboardRect(arg(0), arg(1), arg(2), arg(3));
    } else if (k == "PasteTool2") {
        // x, y, size, angle (hundredths of a degree), opacity; centred and smooth.
        MVE_FromClipboardIntoEX2(arg(0), arg(1), arg(2), arg(3), 1, 1, std::clamp(arg(4), 0, 255), 0, 1);
    } else if (k == "Warp") {
        if (!coordinates_ok(c, 0, 4)) return reject(r, c, "a point is far off the canvas");
        MVE_WarpPointToPoint(arg(0), arg(1), arg(2), arg(3), arg(4));
    } else {
        return false;
    }
    return true;
}

bool Player::perform(const ScriptCommand& c, PlaybackResult& r)
{
    if (c.keyword == "SetPage") {
        // The page set-up of the recording program has no counterpart here.
        std::fprintf(stderr, "mve play: line %d: SetPage is not performed\n", c.line);
        ++r.skipped;
        return true;
    }
    r.error = {};
    const bool done = stroke(c, r) || brush(c, r) || buffers(c, r) || tools(c, r);
    if (!r.error.message.empty()) return false;
    if (!done) return reject(r, c, "not performed");
    ++r.performed;
    return true;
}

}  // namespace

bool play_paint_script(const PaintScript& script, int width, int height, int maxBrush, PlaybackResult& result,
                       const std::function<void(double)>& progress)
{
    Player player(width, height, maxBrush);
    result = {};
    const std::size_t count = script.commands.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (!player.perform(script.commands[i], result)) return false;
        if (progress) progress(static_cast<double>(i + 1) / count);
    }
    // A script cut short mid-stroke still paints what it recorded.
    ScriptCommand stop;
    stop.keyword = "DrawStop";
    player.perform(stop, result);
    --result.performed;
    return true;
}

}  // namespace mve_host
