// mve convert and mve info: any picture the engine reads into the staging
// image, written again by the engine's writers by the output's extension.
#include "demo.h"

#include <getopt.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "morvane/morvane.h"

namespace mve_host {

namespace {

std::string extension_of(const std::string& path)
{
    const auto dot = path.rfind('.');
    const auto slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && slash > dot)) return {};
    std::string ext = path.substr(dot);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

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

int convert_usage()
{
    std::fprintf(stderr,
                 "usage: mve convert IN OUT [--dpi N] [--quality Q]\n"
                 "  OUT by extension: .png .jpg .bmp .gif .tif .tga .pcx .psd\n");
    return 2;
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

int run_convert(int argc, char** argv)
{
    static const option options[] = {{"dpi", required_argument, nullptr, 'd'},
                                     {"quality", required_argument, nullptr, 'q'},
                                     {nullptr, 0, nullptr, 0}};
    int dpi = 0, quality = 0;
    optind = 1;
    for (int c; (c = getopt_long(argc, argv, "d:q:", options, nullptr)) != -1;) {
        char* end = nullptr;
        const long v = std::strtol(optarg ? optarg : "", &end, 10);
        if (c == '?' || !end || *end || v <= 0) return convert_usage();
        if (c == 'd') dpi = static_cast<int>(v);
        if (c == 'q') {
            if (v > 100) return convert_usage();
            quality = static_cast<int>(v);
        }
    }
    if (argc - optind != 2) return convert_usage();
    const char* in = argv[optind];
    const std::string out = argv[optind + 1];
    if (!read_picture(in)) {
        std::fprintf(stderr, "mve convert: cannot read %s\n", in);
        return 1;
    }
    if (dpi == 0) dpi = MVE_GetDPIFromFile(in);
    MVE_SetWriteJPGQuality(quality);
    const bool ok = write_picture(out, dpi);
    MVE_SetWriteJPGQuality(0);
    MVE_DeleteNewRGBA();
    if (!ok) {
        std::fprintf(stderr,
                     "mve convert: cannot write %s (writable: .png .jpg .bmp .gif .tif .tga .pcx .psd)\n",
                     out.c_str());
        return 1;
    }
    std::printf("%s: %dx%d, %d dpi\n", out.c_str(), MVE_GetNewRGBAWidth(), MVE_GetNewRGBAHeight(), dpi);
    return 0;
}

int run_info(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mve info FILE\n");
        return 2;
    }
    const char* path = argv[1];
    if (!read_picture(path)) {
        std::fprintf(stderr, "mve info: cannot read %s\n", path);
        return 1;
    }
    std::printf("%s: %s, %dx%d, %d dpi%s\n", path, format_of(path).c_str(), MVE_GetNewRGBAWidth(),
                MVE_GetNewRGBAHeight(), MVE_GetDPIFromFile(path),
                MVE_IsNewRGBA32Transparent() ? ", transparent" : "");
    MVE_DeleteNewRGBA();
    return 0;
}

}  // namespace

MVE_COMMAND("convert", "convert IN OUT [--dpi N] [--quality Q]", run_convert);
MVE_COMMAND("info", "info FILE", run_info);

}  // namespace mve_host
