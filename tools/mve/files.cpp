// mve convert and mve info: any picture the engine reads into the staging
// image, written again by the engine's writers by the output's extension;
// .ora documents go to the document commands (documents.h).
#include "cli.h"
#include "demo.h"
#include "documents.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "morvane/morvane.h"

namespace mve_host {

namespace {

// Reads a picture into the staging image: the engine's own readers first,
// then everything ImageMagick knows, then camera raw.
bool read_picture(const char* path)
{
    return MVE_ReadFromFile(path) || MVE_ReadFromFileRAW(path) || MVE_ReadFromFileRAW_OLD(path);
}

// The format named by the file's first bytes.
std::string format_of(const char* path)
{
    unsigned char b[16] = {};
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return "unreadable";
    const std::size_t n = std::fread(b, 1, sizeof b, f);
    std::fclose(f);
    struct Signature {
        const char* name;
        const char* bytes;
        std::size_t at, length;
    };
    const Signature signatures[] = {
        {"PNG", "\x89PNG", 0, 4}, {"JPEG", "\xFF\xD8\xFF", 0, 3},
        {"TIFF", "II*\0", 0, 4},  {"TIFF", "MM\0*", 0, 4},
        {"BMP", "BM", 0, 2},      {"GIF", "GIF8", 0, 4},
        {"PSD", "8BPS", 0, 4},    {"WebP", "WEBP", 8, 4},
    };
    for (const Signature& s : signatures)
        if (n >= s.at + s.length && std::memcmp(b + s.at, s.bytes, s.length) == 0) return s.name;
    if (n >= 3 && b[0] == 0x0A && b[1] <= 5) return "PCX";
    const std::string ext = extension_of(path);
    return ext.empty() ? "unknown" : ext.substr(1);
}

// Writes the staged picture by the output's extension: with alpha where the
// format keeps it and the picture has any, else as RGB24.
bool write_picture(const std::string& out, int dpi)
{
    std::string ext = extension_of(out);
    if (ext == ".jpeg") ext = ".jpg";
    if (ext == ".tiff") ext = ".tif";
    const int w = MVE_GetNewRGBAWidth(), h = MVE_GetNewRGBAHeight();
    const bool rgbaOnly = ext == ".tga" || ext == ".tif";
    if (rgbaOnly || (ext == ".png" && MVE_IsNewRGBA32Transparent())) {
        std::vector<unsigned char> rgba(static_cast<std::size_t>(w) * h * 4);
        MVE_GetNewRGBA32(rgba.data());
        return MVE_WriteToFileRGBA32(rgba.data(), w, h, out.c_str(), ext.c_str(), dpi) == 1;
    }
    std::vector<unsigned char> rgb(static_cast<std::size_t>(w) * h * 3);
    MVE_GetNewRGBA24(rgb.data());
    return MVE_WriteToFileRGB24(rgb.data(), w, h, out.c_str(), ext.c_str(), dpi) == 1;
}

}  // namespace

namespace {

int run_convert(const ConvertArgs& a)
{
    if (extension_of(a.in) == ".ora" || extension_of(a.out) == ".ora") return convert_document(a);
    if (!a.effect.empty()) return fail("convert", "--effect works on .ora documents; use mve effect for pictures");
    const char* in = a.in.c_str();
    if (!read_picture(in)) return fail("convert", "cannot read %s", in);
    const int dpi = a.dpi ? a.dpi : MVE_GetDPIFromFile(in);
    MVE_SetWriteJPGQuality(a.quality);
    const bool ok = write_atomically(a.out, [&](const std::string& p) { return write_picture(p, dpi); });
    MVE_SetWriteJPGQuality(0);
    MVE_DeleteNewRGBA();
    if (!ok)
        return fail("convert",
                    "cannot write %s (writable: .png .jpg .bmp .gif .tif .tga .pcx .psd .emf .wmf .ora)",
                    a.out.c_str());
    std::printf("%s: %dx%d, %d dpi\n", a.out.c_str(), MVE_GetNewRGBAWidth(), MVE_GetNewRGBAHeight(), dpi);
    return 0;
}

int run_info(const std::string& path)
{
    if (extension_of(path) == ".ora") return document_info(path);
    if (!read_picture(path.c_str())) return fail("info", "cannot read %s", path.c_str());
    std::printf("%s: %s, %dx%d, %d dpi%s\n", path.c_str(), format_of(path.c_str()).c_str(), MVE_GetNewRGBAWidth(),
                MVE_GetNewRGBAHeight(), MVE_GetDPIFromFile(path.c_str()),
                MVE_IsNewRGBA32Transparent() ? ", transparent" : "");
    MVE_DeleteNewRGBA();
    return 0;
}

void setup_files(CLI::App& mve)
{
    static ConvertArgs a;
    auto* convert = mve.add_subcommand(
        "convert", "Convert a picture by the output's extension, or a layered .ora document into a .ora or a picture");
    convert->add_option("IN", a.in, "Input picture or .ora document")->required();
    convert->add_option("OUT", a.out, "Output: .png .jpg .bmp .gif .tif .tga .pcx .psd .emf .wmf or .ora")
        ->required();
    convert->add_option("--dpi", a.dpi, "Resolution written (default: the input's)")->check(CLI::PositiveNumber);
    convert->add_option("--quality", a.quality, "JPEG quality 1..100")->check(CLI::Range(1, 100));
    convert->add_option("--effect", a.effect, "Effect applied to one layer of a .ora document (see mve effects)");
    convert->add_option("--layer", a.layer, "Layer the effect runs on: 1 = bottom (default: the top layer)")
        ->check(CLI::PositiveNumber);
    add_effect_options(convert, a.call);
    on_run(convert, [] { return run_convert(a); });

    static std::string infoPath;
    auto* info = mve.add_subcommand("info", "Format, size and resolution of a picture; the layers of a .ora");
    info->add_option("FILE", infoPath, "Picture or .ora document")->required();
    on_run(info, [] { return run_info(infoPath); });
}

}  // namespace

MVE_COMMAND(setup_files);

}  // namespace mve_host
