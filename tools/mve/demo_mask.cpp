// Demo: a selection built from a hue range and a grey ramp, a fill through
// it, and the layer and the Mask stored the way host documents keep them
// (run-length lines and a compressed block), restored and compared.
#include <string>
#include <vector>

#include "demo.h"
#include "morvane/morvane.h"

namespace {

using namespace mve_host;

constexpr int kLayer = 6;     // a scratch layer, deleted at the end
constexpr int kHueLayer = 3;  // the blue rectangle of the canvas step

using Bytes = std::vector<unsigned char>;
using Shorts = std::vector<unsigned short>;

struct Stored {
    std::vector<Bytes> layerLines, maskLines;
    Bytes block;
};

Bytes read_layer(int w, int h)
{
    Bytes rgba(static_cast<std::size_t>(w) * h * 4);
    MVE_GetRGBA32Layer(rgba.data(), w * 4, kLayer);
    return rgba;
}

Shorts read_mask(int w, int h)
{
    Shorts m(static_cast<std::size_t>(w) * h);
    MVE_GetMaskData16(m.data());
    return m;
}

// Hue within 18 degrees of the rectangle's blue, then a left-to-right grey
// ramp added on top: the selection fades out toward the right.
void build_selection(int w, int h)
{
    Bytes pic(static_cast<std::size_t>(w) * h * 4);
    MVE_GetRGBA32Layer(pic.data(), w * 4, kHueLayer);
    MVE_ClearMask(65535, 65535, 65535);  // white: everything blocked
    MVE_CreateMaskFromRGBAImageHueRange(pic.data(), 0x20, 0x40, 0xFF, 10, 0);
    Bytes ramp(static_cast<std::size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int k = 0; k < 3; ++k)
                ramp[(static_cast<std::size_t>(y) * w + x) * 3 + k] = static_cast<unsigned char>(x * 255 / (w - 1));
    MVE_CombineMask(ramp.data(), w * 3, 0, 0, "Add");
}

Stored store(int w, int h)
{
    Stored s;
    for (int y = 0; y < h; ++y) {
        Bytes line(static_cast<std::size_t>(w) * 5), mline(static_cast<std::size_t>(w) * 2);
        line.resize(static_cast<std::size_t>(MVE_GetRGBA32LayerLineRLE(line.data(), kLayer, y)));
        mline.resize(static_cast<std::size_t>(MVE_GetMaskLineRLE(mline.data(), y)));
        s.layerLines.push_back(line);
        s.maskLines.push_back(mline);
    }
    s.block.resize(static_cast<std::size_t>(w) * h * 4 + 1024);
    s.block.resize(static_cast<std::size_t>(
        MVE_GetRGBA32LayerCompressed(s.block.data(), 0, static_cast<int>(s.block.size()), kLayer, 0)));
    return s;
}

std::size_t total(const std::vector<Bytes>& lines)
{
    std::size_t n = 0;
    for (const auto& l : lines) n += l.size();
    return n;
}

// Back to a fresh state: transparent layer, Mask passing everything.
void wipe()
{
    MVE_EnableMask(0);
    MVE_Clear(0, 0, 0, 0);
    MVE_ClearMask(0, 0, 0);
}

bool mask_selection(DemoContext& ctx)
{
    const int w = ctx.width, h = ctx.height;
    if (!check(w > 1 && h > 1, "canvas from the canvas step")) return false;
    const int previous = MVE_GetLayerNum();
    const Shorts savedMask = read_mask(w, h);

    if (!check(MVE_CreateLayer(kLayer, w, h) == 1, "create layer 6")) return false;
    MVE_SetLayer(kLayer);
    MVE_EnableMask(0);
    MVE_Clear(240, 240, 230, 255);
    build_selection(w, h);
    MVE_EnableMask(1);
    MVE_ClearMasked(255, 160, 0, 255);
    const unsigned outside = MVE_GetRGBAAtLayer(10, 10, kLayer);
    const unsigned inside = MVE_GetRGBAAtLayer(130, 100, kLayer);
    say("selection: blue hue +-18 degrees of layer %d, faded by a grey ramp; mask at (130,100) blocks %d of 65535",
        kHueLayer, MVE_GetMask64(130, 100));
    say("orange fill through it: RGBA at (10,10) 0x%08X (unselected), at (130,100) 0x%08X", outside, inside);
    bool ok = check(outside == 0xF0F0E6FFu, "unselected pixel keeps the ground") &&
              check(inside != outside && (inside >> 16 & 0xFF) < 0xF0 && (inside >> 16 & 0xFF) > 0xA0,
                    "selected pixel blends toward orange");

    Bytes maskPic(static_cast<std::size_t>(w) * h * 3);
    MVE_SaveMask(maskPic.data(), w * 3);
    const std::string path = ctx.outDir + "/mask_selection.png";
    ok = ok && check(write_png(path, maskPic.data(), w, h, 3), "write mask_selection.png");
    say("wrote %s", path.c_str());

    const Bytes layer = read_layer(w, h);
    const Shorts mask = read_mask(w, h);
    const Stored s = store(w, h);
    say("stored: layer lines %zu bytes, mask lines %zu bytes, compressed block %zu bytes (raw %d)",
        total(s.layerLines), total(s.maskLines), s.block.size(), w * h * 4);
    ok = ok && check(!s.block.empty(), "compressed block written");

    wipe();
    for (int y = 0; y < h; ++y) {
        MVE_PutRGBA32LayerLineRLE(s.layerLines[y].data(), kLayer, y);
        MVE_PutMaskLineRLE(s.maskLines[y].data(), y);
    }
    ok = ok && check(read_layer(w, h) == layer, "layer restored from run-length lines") &&
         check(read_mask(w, h) == mask, "Mask restored from run-length lines");

    wipe();
    MVE_LoadRGBA32LayerCompressed(s.block.data(), 0, static_cast<int>(s.block.size()), kLayer);
    ok = ok && check(read_layer(w, h) == layer, "layer restored from the compressed block");
    say("restored into a wiped layer and Mask: lines and block give identical pixels");

    // Leave the canvas as it was found.
    MVE_DeleteLayer(kLayer);
    MVE_SetMaskData16(savedMask.data());
    MVE_EnableMask(1);
    MVE_SetLayer(previous);
    return ok;
}

}  // namespace

MVE_DEMO_STEP(500, "selection masks and stored layers", mask_selection);
