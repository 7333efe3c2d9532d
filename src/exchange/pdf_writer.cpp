// PDF documents from picture files on cairo's PDF surface: one picture a
// page at 96 dpi (a pixel is 0.75 point), framed by 20-point borders in grey
// 196. A slideshow adds what PDF has for one: a page transition and a display
// duration in every page dictionary, and a catalog that opens full screen.
// cairo has no call for these entries, so they are added as an incremental
// update: new versions of the page objects and of the catalog appended after
// cairo's file with their own cross-reference section, which every reader
// applies over the originals.
#include <cstdio>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "exchange/exchange.h"

#if MVE_WITH_CAIRO
#include <cairo-pdf.h>
#include <cairo.h>

namespace mve::exchange {

namespace {

constexpr double kPointsPerPixel = 72.0 / 96.0;
constexpr double kBorder = 20.0;
constexpr double kBorderGrey = 196.0 / 255.0;

// The slideshow settings: effect 9, 1 second for the effect, 4 seconds a page.
// Effects are numbered in the order PDF lists its transition styles.
constexpr const char* kTransitionStyles[] = {"R",       "Split", "Blinds", "Box",   "Wipe",    "Dissolve",
                                             "Glitter", "Fly",   "Push",   "Cover", "Uncover", "Fade"};
constexpr int kSlideEffect = 9, kSlideEffectSeconds = 1, kSlidePageSeconds = 4;

cairo_status_t append_to_string(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

// Straight RGBA32 to cairo's premultiplied native-endian ARGB.
cairo_surface_t* picture_surface(const Decoded& d)
{
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, d.width, d.height);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) return s;
    cairo_surface_flush(s);
    unsigned char* base = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < d.height; ++y) {
        const std::uint8_t* p = d.pixels.get() + static_cast<std::size_t>(y) * d.width * 4;
        auto* out = reinterpret_cast<std::uint32_t*>(base + static_cast<std::size_t>(y) * stride);
        for (int x = 0; x < d.width; ++x, p += 4) {
            const std::uint32_t a = p[3];
            const auto pre = [a](std::uint32_t c) { return (c * a + 127) / 255; };
            out[x] = a << 24 | pre(p[0]) << 16 | pre(p[1]) << 8 | pre(p[2]);
        }
    }
    cairo_surface_mark_dirty(s);
    return s;
}

// One page: grey everywhere, white paper under the picture, the picture.
void draw_page(cairo_surface_t* pdf, const Decoded& d)
{
    const double w = d.width * kPointsPerPixel, h = d.height * kPointsPerPixel;
    cairo_pdf_surface_set_size(pdf, w + 2 * kBorder, h + 2 * kBorder);
    cairo_t* cr = cairo_create(pdf);
    cairo_set_source_rgb(cr, kBorderGrey, kBorderGrey, kBorderGrey);
    cairo_paint(cr);
    cairo_rectangle(cr, kBorder, kBorder, w, h);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_fill(cr);
    cairo_surface_t* picture = picture_surface(d);
    cairo_translate(cr, kBorder, kBorder);
    cairo_scale(cr, kPointsPerPixel, kPointsPerPixel);
    cairo_set_source_surface(cr, picture, 0, 0);
    cairo_paint(cr);
    cairo_show_page(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(picture);
}

// The dictionary text of object `number` (from "<<" to its closing ">>"), or empty.
std::string object_dictionary(const std::string& pdf, const std::string& number)
{
    const std::string head = "\n" + number + " 0 obj\n";
    const std::size_t at = pdf.find(head);
    if (at == std::string::npos) return {};
    const std::size_t begin = at + head.size();
    const std::size_t end = pdf.find("\nendobj", begin);
    if (end == std::string::npos || pdf.compare(begin, 2, "<<") != 0) return {};
    std::string dict = pdf.substr(begin, end - begin);
    while (!dict.empty() && (dict.back() == '\n' || dict.back() == ' ' || dict.back() == '\r'))
        dict.pop_back();
    return dict.size() >= 4 && dict.compare(dict.size() - 2, 2, ">>") == 0 ? dict : std::string();
}

// Appends new versions of the page objects (with /Trans and /Dur) and of the
// catalog (full screen) as an incremental update. False when cairo's file
// does not have the plain layout this reads (then it stays as it is).
bool add_slideshow(std::string& pdf)
{
    const std::size_t trailerAt = pdf.rfind("trailer");
    const std::size_t startAt = pdf.rfind("startxref");
    if (trailerAt == std::string::npos || startAt == std::string::npos) return false;
    const std::string trailer = pdf.substr(trailerAt, startAt - trailerAt);
    std::smatch m;
    std::string size, root, info;
    if (!std::regex_search(trailer, m, std::regex(R"(/Size (\d+))"))) return false;
    size = m[1];
    if (!std::regex_search(trailer, m, std::regex(R"(/Root (\d+) 0 R)"))) return false;
    root = m[1];
    if (std::regex_search(trailer, m, std::regex(R"(/Info (\d+) 0 R)"))) info = m[1];
    const std::string previous = std::to_string(std::strtoull(pdf.c_str() + startAt + 9, nullptr, 10));

    char transition[160];
    std::snprintf(transition, sizeof transition,
                  "\n   /Trans << /Type /Trans /S /%s /D %d >>\n   /Dur %d\n>>",
                  kTransitionStyles[kSlideEffect], kSlideEffectSeconds, kSlidePageSeconds);
    std::vector<std::pair<std::string, std::string>> updates;  // object number, new dictionary
    const std::regex pageObject(R"(\n(\d+) 0 obj\n<< /Type /Page\b)");
    for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), pageObject); it != std::sregex_iterator();
         ++it) {
        const std::string number = (*it)[1];
        std::string dict = object_dictionary(pdf, number);
        if (dict.empty() || dict.find("/Type /Pages") != std::string::npos) continue;
        dict.replace(dict.size() - 2, 2, transition);
        updates.emplace_back(number, dict);
    }
    std::string catalog = object_dictionary(pdf, root);
    if (updates.empty() || catalog.empty()) return false;
    catalog.replace(catalog.size() - 2, 2, "\n   /PageMode /FullScreen\n>>");
    updates.emplace_back(root, catalog);

    if (pdf.back() != '\n') pdf += '\n';
    std::vector<std::pair<std::string, std::size_t>> offsets;
    for (const auto& [number, dict] : updates) {
        offsets.emplace_back(number, pdf.size());
        pdf += number + " 0 obj\n" + dict + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n";
    for (const auto& [number, offset] : offsets) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        pdf += number + " 1\n" + entry;
    }
    pdf += "trailer\n<< /Size " + size + "\n   /Root " + root + " 0 R\n";
    if (!info.empty()) pdf += "   /Info " + info + " 0 R\n";
    pdf += "   /Prev " + previous + "\n>>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return true;
}

bool write_whole_file(const std::string& path, const std::string& bytes)
{
    // Written beside the target first, so a failed write leaves an old file intact.
    const std::string part = path + ".part";
    std::FILE* f = std::fopen(part.c_str(), "wb");
    if (!f) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    if (written && closed && std::rename(part.c_str(), path.c_str()) == 0) return true;
    std::remove(part.c_str());
    return false;
}

}  // namespace

bool make_pdf(const std::vector<std::string>& images, const char* path, bool slideshow)
{
    if (!path || !*path) return false;
    std::string bytes;
    cairo_surface_t* pdf = nullptr;
    std::vector<const std::string*> converted;
    for (const std::string& image : images) {
        const Decoded d = decode_file(image.c_str());
        if (!d) continue;  // missing or corrupt: no page
        if (!pdf) {
            pdf = cairo_pdf_surface_create_for_stream(append_to_string, &bytes, 1, 1);
            cairo_pdf_surface_set_metadata(pdf, CAIRO_PDF_METADATA_CREATOR, "morvane");
        }
        draw_page(pdf, d);
        converted.push_back(&image);
    }
    if (!pdf) return false;
    cairo_surface_finish(pdf);
    const bool ok = cairo_surface_status(pdf) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(pdf);
    if (!ok || converted.empty()) return false;
    if (slideshow) add_slideshow(bytes);
    if (!write_whole_file(path, bytes)) return false;
    // The pictures that became pages are deleted, as hosts expect (they hand
    // over files written for the document); only once the document is safely
    // written, so a failure never loses them.
    for (const std::string* image : converted) std::remove(image->c_str());
    return true;
}

}  // namespace mve::exchange

#else

namespace mve::exchange {

// Built without cairo: there is no PDF writer.
bool make_pdf(const std::vector<std::string>&, const char*, bool)
{
    return false;
}

}  // namespace mve::exchange

#endif
