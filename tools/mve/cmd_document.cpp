// mve render, and the .ora side of mve convert and mve info: layered
// OpenRaster documents composited and edited through the engine.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "cli.h"
#include "demo.h"
#include "documents.h"
#include "morvane/morvane.h"
#include "ora_format.h"

namespace mve_host {

namespace {

// The document's layers become engine layers 2.. over an empty layer 1: the
// engine copies layer 1 into the composite as it is, so a document's bottom
// layer must be merged like the others to keep its opacity and mode.
std::vector<std::uint16_t> composite(const OraDocument& doc)
{
    const int w = doc.width, h = doc.height;
    MVE_CreateImage(nullptr, w, h, 8, 0);
    MVE_CreateLayer(1, w, h);
    std::vector<std::uint16_t> canvas(static_cast<std::size_t>(w) * h * 4);
    for (std::size_t i = 0; i < doc.layers.size(); ++i) {
        const OraLayer& l = doc.layers[i];
        const int index = static_cast<int>(i) + 2;
        std::fill(canvas.begin(), canvas.end(), 0);
        for (int y = std::max(0, l.y); y < std::min(h, l.y + l.height); ++y)
            for (int x = std::max(0, l.x); x < std::min(w, l.x + l.width); ++x)
                for (int c = 0; c < 4; ++c)
                    canvas[(static_cast<std::size_t>(y) * w + x) * 4 + c] =
                        l.pixels[(static_cast<std::size_t>(y - l.y) * l.width + (x - l.x)) * 4 + c];
        MVE_CreateLayer(index, w, h);
        MVE_SetRGBA64Layer(canvas.data(), w * 8, index);
        MVE_SetLayerOptions(index, l.visible ? 1 : 0, 0, static_cast<int>(std::lround(l.opacity * 100)),
                            l.mode.c_str());
    }
    MVE_Merge(canvas.data());
    MVE_DeleteImage();
    return canvas;
}

// A picture as a one-layer document (8-bit values widened as the engine does).
bool read_picture_document(const std::string& path, OraDocument& doc)
{
    if (!MVE_ReadFromFile(path.c_str())) return false;
    const int w = MVE_GetNewRGBAWidth(), h = MVE_GetNewRGBAHeight();
    std::vector<unsigned char> rgba(static_cast<std::size_t>(w) * h * 4);
    MVE_GetNewRGBA32(rgba.data());
    MVE_DeleteNewRGBA();
    OraLayer layer;
    layer.name = "Background", layer.width = w, layer.height = h;
    layer.pixels.assign(rgba.begin(), rgba.end());
    for (auto& v : layer.pixels) v = static_cast<std::uint16_t>(v << 8);
    doc = {};
    doc.width = w, doc.height = h;
    doc.layers.push_back(std::move(layer));
    return true;
}

bool read_document(const std::string& command, const std::string& path, OraDocument& doc)
{
    std::string error;
    if (extension_of(path) != ".ora") {
        if (read_picture_document(path, doc)) return true;
        fail(command, "cannot read %s", path.c_str());
        return false;
    }
    if (read_ora_file(path, OraLimits{}, doc, error)) return true;
    fail(command, "%s: %s", path.c_str(), error.c_str());
    return false;
}

// The composite as an 8-bit RGBA picture by the engine's writers.
bool write_flat(const std::string& path, const OraDocument& doc, const std::vector<std::uint16_t>& merged)
{
    std::vector<unsigned char> rgba(merged.size());
    for (std::size_t i = 0; i < merged.size(); ++i) rgba[i] = static_cast<unsigned char>(merged[i] >> 8);
    return write_atomically(path, [&](const std::string& temp) {
        return MVE_WriteToFileRGBA32(rgba.data(), doc.width, doc.height, temp.c_str(),
                                     extension_of(path).c_str(), 72) == 1;
    });
}

bool write_document(const std::string& command, const std::string& path, const OraDocument& doc,
                    const std::vector<std::uint16_t>& merged)
{
    std::string error;
    const bool ok = write_atomically(path, [&](const std::string& temp) {
        return write_ora_file(temp, doc, merged, error);
    });
    if (!ok) fail(command, "cannot write %s: %s", path.c_str(), error.empty() ? "rename failed" : error.c_str());
    return ok;
}

// The effect on one layer: a one-layer canvas of the layer's own size, run,
// and read back in 16 bits (the effect itself works in 8).
bool apply_to_layer(OraLayer& layer, const std::string& effect, const EffectCall& call)
{
    MVE_IPLInit(0);
    MVE_CreateImage(nullptr, layer.width, layer.height, 8, 0);
    MVE_CreateLayer(1, layer.width, layer.height);
    MVE_SetLayer(1);
    MVE_SetRGBA64Layer(layer.pixels.data(), layer.width * 8, 1);
    bool ran;
    {
        Progress progress("convert: " + effect);
        ran = apply_effect(effect, call);
    }
    if (ran) MVE_GetRGBA64Layer(layer.pixels.data(), layer.width * 8, 1);
    MVE_DeleteImage();
    MVE_IPLExit();
    return ran;
}

int render(const std::string& in, const std::string& out)
{
    OraDocument doc;
    if (!read_document("render", in, doc)) return 1;
    const std::vector<std::uint16_t> merged = composite(doc);
    if (!write_flat(out, doc, merged)) return fail("render", "cannot write %s", out.c_str());
    std::printf("%s: %d layers, %dx%d -> %s\n", in.c_str(), static_cast<int>(doc.layers.size()), doc.width,
                doc.height, out.c_str());
    return 0;
}

void setup_render(CLI::App& mve)
{
    static std::string in, out;
    auto* sub = mve.add_subcommand("render", "Composite an OpenRaster document through the engine");
    sub->add_option("DOC", in, "OpenRaster document (.ora)")->required();
    sub->add_option("OUT", out, "Output picture (format by extension)")->required();
    on_run(sub, [] { return render(in, out); });
}

}  // namespace

int convert_document(const ConvertArgs& a)
{
    OraDocument doc;
    if (!read_document("convert", a.in, doc)) return 1;
    if (!a.effect.empty()) {
        if (!known_effect(a.effect))
            return fail("convert", "no effect named \"%s\" (see mve effects)", a.effect.c_str());
        if (doc.layers.empty()) return fail("convert", "%s has no layers", a.in.c_str());
        const int count = static_cast<int>(doc.layers.size());
        const int n = a.layer == 0 ? count : a.layer;
        if (n > count) return fail("convert", "--layer %d: the document has %d layers", n, count);
        if (!apply_to_layer(doc.layers[n - 1], a.effect, a.call))
            return fail("convert", "\"%s\" failed on layer %d", a.effect.c_str(), n);
    }
    const std::vector<std::uint16_t> merged = composite(doc);
    const bool ok = extension_of(a.out) == ".ora" ? write_document("convert", a.out, doc, merged)
                                                  : write_flat(a.out, doc, merged);
    if (!ok) return extension_of(a.out) == ".ora" ? 1 : fail("convert", "cannot write %s", a.out.c_str());
    std::printf("%s: %dx%d, %d layers\n", a.out.c_str(), doc.width, doc.height, static_cast<int>(doc.layers.size()));
    return 0;
}

int document_info(const std::string& path)
{
    OraDocument doc;
    if (!read_document("info", path, doc)) return 1;
    std::printf("%s: OpenRaster, %dx%d, %d layers\n", path.c_str(), doc.width, doc.height,
                static_cast<int>(doc.layers.size()));
    // Top layer first, as paint programs list them.
    for (auto it = doc.layers.rbegin(); it != doc.layers.rend(); ++it)
        std::printf("  \"%s\" at %d,%d %dx%d opacity %.2f %s %s %d-bit\n", it->name.c_str(), it->x, it->y,
                    it->width, it->height, it->opacity, it->visible ? "visible" : "hidden", it->mode.c_str(),
                    it->sixteenBit ? 16 : 8);
    return 0;
}

MVE_COMMAND(setup_render);

}  // namespace mve_host
