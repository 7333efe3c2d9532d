// OpenRaster containers on libzip (see ora_format.h).
#include "ora_format.h"

#include <zip.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "ora_stack.h"
#include "png_codec.h"

namespace mve_host {

namespace {

const char kMimetype[] = "image/openraster";

// Blend modes OpenRaster names, both ways.
struct OpMapping {
    const char* op;
    const char* mode;
};
constexpr OpMapping kOps[] = {
    {"svg:src-over", "Normal"},        {"svg:multiply", "Multiply"},     {"svg:screen", "Screen"},
    {"svg:overlay", "Overlay"},        {"svg:darken", "Darken"},         {"svg:lighten", "Lighten"},
    {"svg:color-dodge", "Dodge"},      {"svg:color-burn", "Burn"},       {"svg:hard-light", "Hard Light"},
    {"svg:soft-light", "Soft Light"},  {"svg:difference", "Difference"}, {"svg:color", "HSL Color"},
    {"svg:luminosity", "HSL Lum"},     {"svg:hue", "HSL Hue"},           {"svg:saturation", "HSL Sat"},
    {"svg:plus", "Add"},
};

struct ZipCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipCloser>;

// One entry's bytes, refused when its declared size is above cap and checked
// against what actually inflates (a lying header is an error, not a bomb).
bool read_entry(zip_t* zip, const std::string& name, std::uint64_t cap, std::string& bytes, std::string& error)
{
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(zip, name.c_str(), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)) {
        error = "the document has no " + name;
        return false;
    }
    if (st.size > cap) {
        error = name + " declares " + std::to_string(st.size) + " bytes, more than the canvas limit allows";
        return false;
    }
    zip_file_t* file = zip_fopen(zip, name.c_str(), 0);
    if (!file) {
        error = "cannot open " + name + " in the document: " + zip_strerror(zip);
        return false;
    }
    bytes.assign(static_cast<std::size_t>(st.size), '\0');
    const zip_int64_t got = zip_fread(file, bytes.data(), st.size);
    char extra;
    const zip_int64_t more = got == static_cast<zip_int64_t>(st.size) ? zip_fread(file, &extra, 1) : 0;
    zip_fclose(file);
    if (got != static_cast<zip_int64_t>(st.size) || more != 0) {
        error = name + " in the document is damaged or not the size it declares";
        return false;
    }
    return true;
}

bool read_layers(zip_t* zip, const OraLimits& limits, OraDocument& doc, std::string& error)
{
    std::string mimetype;
    if (!read_entry(zip, "mimetype", 64, mimetype, error)) return false;
    if (mimetype != kMimetype) {
        error = "the mimetype is not image/openraster";
        return false;
    }
    std::string xml;
    if (!read_entry(zip, "stack.xml", limits.maxXmlBytes, xml, error)) return false;
    OraStack stack;
    if (!parse_stack_xml(xml, stack, error)) return false;
    if (static_cast<std::uint64_t>(stack.width) * stack.height > limits.maxPixels || stack.width > 65535 ||
        stack.height > 65535) {
        error = "the canvas is larger than the canvas limit";
        return false;
    }
    if (stack.layers.size() > limits.maxLayers) {
        error = "the document has more than " + std::to_string(limits.maxLayers) + " layers";
        return false;
    }
    doc = {};
    doc.width = stack.width, doc.height = stack.height;
    std::uint64_t total = 0;
    // A PNG never needs more bytes than its raw 16-bit samples plus framing.
    const std::uint64_t pngCap = limits.maxPixels * 8 + (1 << 20);
    for (const OraStackEntry& e : stack.layers) {
        std::string bytes;
        if (!read_entry(zip, e.src, pngCap, bytes, error)) return false;
        Rgba16Picture picture;
        std::string why;
        const std::uint64_t left = limits.maxTotalLayerPixels - total;
        if (!decode_png(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                        std::min(limits.maxPixels, left), picture, why)) {
            error = e.src + ": " + why;
            return false;
        }
        total += static_cast<std::uint64_t>(picture.width) * picture.height;
        OraLayer layer;
        layer.name = e.name, layer.x = e.x, layer.y = e.y;
        layer.width = picture.width, layer.height = picture.height;
        layer.opacity = e.opacity, layer.visible = e.visible;
        const std::string mode = mode_of_composite_op(e.compositeOp);
        // Our own attribute wins for modes OpenRaster has no name for; ops
        // we do not know composite as src-over, as OpenRaster asks.
        layer.mode = !e.engineMode.empty() ? e.engineMode : mode.empty() ? "Normal" : mode;
        layer.sixteenBit = picture.sixteenBit;
        layer.pixels = std::move(picture.pixels);
        doc.layers.push_back(std::move(layer));
    }
    return true;
}

bool add_entry(zip_t* zip, const std::string& name, std::string&& bytes, bool store,
               std::vector<std::unique_ptr<std::string>>& keep)
{
    keep.push_back(std::make_unique<std::string>(std::move(bytes)));
    zip_source_t* source = zip_source_buffer(zip, keep.back()->data(), keep.back()->size(), 0);
    if (!source) return false;
    const zip_int64_t index = zip_file_add(zip, name.c_str(), source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
    if (index < 0) {
        zip_source_free(source);
        return false;
    }
    return zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), store ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                    0) == 0;
}

std::string png_bytes(const std::uint16_t* pixels, int w, int h, bool sixteenBit)
{
    std::vector<unsigned char> png;
    if (!encode_png(pixels, w, h, sixteenBit, png)) return {};
    return std::string(png.begin(), png.end());
}

// The merged image shrunk to at most 256 on a side by averaging the source
// pixels each thumbnail pixel covers (weighted by alpha, so transparent
// pixels do not darken the edges).
std::vector<std::uint16_t> thumbnail(const std::vector<std::uint16_t>& merged, int w, int h, int& tw, int& th)
{
    const double scale = std::min(1.0, 256.0 / std::max(w, h));
    tw = std::max(1, static_cast<int>(w * scale)), th = std::max(1, static_cast<int>(h * scale));
    std::vector<std::uint16_t> out(static_cast<std::size_t>(tw) * th * 4);
    for (int ty = 0; ty < th; ++ty)
        for (int tx = 0; tx < tw; ++tx) {
            const int x0 = tx * w / tw, x1 = std::max(x0 + 1, (tx + 1) * w / tw);
            const int y0 = ty * h / th, y1 = std::max(y0 + 1, (ty + 1) * h / th);
            double sum[4] = {}, n = 0;
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x) {
                    const std::uint16_t* p = &merged[(static_cast<std::size_t>(y) * w + x) * 4];
                    for (int c = 0; c < 3; ++c) sum[c] += static_cast<double>(p[c]) * p[3];
                    sum[3] += p[3];
                    ++n;
                }
            std::uint16_t* q = &out[(static_cast<std::size_t>(ty) * tw + tx) * 4];
            for (int c = 0; c < 3; ++c) q[c] = sum[3] > 0 ? static_cast<std::uint16_t>(sum[c] / sum[3]) : 0;
            q[3] = static_cast<std::uint16_t>(sum[3] / n);
        }
    return out;
}

}  // namespace

std::string composite_op_of(const std::string& mode)
{
    for (const OpMapping& m : kOps)
        if (mode == m.mode) return m.op;
    return {};
}

std::string mode_of_composite_op(const std::string& op)
{
    for (const OpMapping& m : kOps)
        if (op == m.op) return m.mode;
    return {};
}

bool read_ora_file(const std::string& path, const OraLimits& limits, OraDocument& doc, std::string& error)
{
    int code = 0;
    ZipHandle zip(zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code));
    if (!zip) {
        zip_error_t e;
        zip_error_init_with_code(&e, code);
        error = path + " is not a readable zip: " + zip_error_strerror(&e);
        zip_error_fini(&e);
        return false;
    }
    return read_layers(zip.get(), limits, doc, error);
}

bool read_ora_memory(const void* data, std::size_t size, const OraLimits& limits, OraDocument& doc,
                     std::string& error)
{
    zip_error_t e;
    zip_error_init(&e);
    zip_source_t* source = zip_source_buffer_create(data, size, 0, &e);
    ZipHandle zip(source ? zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &e) : nullptr);
    if (!zip) {
        error = std::string("not a readable zip: ") + zip_error_strerror(&e);
        if (source) zip_source_free(source);
        zip_error_fini(&e);
        return false;
    }
    zip_error_fini(&e);
    return read_layers(zip.get(), limits, doc, error);
}

bool write_ora_file(const std::string& path, const OraDocument& doc, const std::vector<std::uint16_t>& merged,
                    std::string& error)
{
    int code = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!zip) {
        error = "cannot create " + path;
        return false;
    }
    std::vector<std::unique_ptr<std::string>> keep;  // the buffers live until zip_close
    bool ok = add_entry(zip, "mimetype", kMimetype, true, keep);
    OraStack stack;
    stack.width = doc.width, stack.height = doc.height;
    for (std::size_t i = 0; ok && i < doc.layers.size(); ++i) {
        const OraLayer& l = doc.layers[i];
        OraStackEntry e;
        e.name = l.name, e.src = "data/layer" + std::to_string(i) + ".png";
        e.x = l.x, e.y = l.y, e.opacity = l.opacity, e.visible = l.visible;
        e.compositeOp = composite_op_of(l.mode);
        if (e.compositeOp.empty()) e.compositeOp = "svg:src-over", e.engineMode = l.mode;
        std::string png = png_bytes(l.pixels.data(), l.width, l.height, l.sixteenBit);
        // PNGs are compressed already: storing them saves the deflate time.
        ok = !png.empty() && add_entry(zip, e.src, std::move(png), true, keep);
        stack.layers.push_back(e);
    }
    ok = ok && add_entry(zip, "stack.xml", write_stack_xml(stack), false, keep);
    std::string mergedPng = ok ? png_bytes(merged.data(), doc.width, doc.height, false) : std::string();
    ok = ok && !mergedPng.empty() && add_entry(zip, "mergedimage.png", std::move(mergedPng), true, keep);
    int tw = 0, th = 0;
    const std::vector<std::uint16_t> thumb = ok ? thumbnail(merged, doc.width, doc.height, tw, th) : merged;
    ok = ok && add_entry(zip, "Thumbnails/thumbnail.png", png_bytes(thumb.data(), tw, th, false), true, keep);
    if (!ok) {
        error = std::string("cannot write the document: ") + zip_strerror(zip);
        zip_discard(zip);
        return false;
    }
    if (zip_close(zip) != 0) {
        error = std::string("cannot write the document: ") + zip_strerror(zip);
        zip_discard(zip);
        return false;
    }
    return true;
}

}  // namespace mve_host
