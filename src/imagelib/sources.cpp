#include "imagelib/sources.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include <sys/stat.h>
#include <unistd.h>

namespace mve::il {

void ImageDest::write(const void* data, std::size_t n)
{
    if (pos + n > bytes.size()) bytes.resize(pos + n);
    std::memcpy(bytes.data() + pos, data, n);
    pos += n;
}

void ImageDest::seek(std::size_t to)
{
    if (to > bytes.size()) bytes.resize(to);
    pos = to;
}

std::string extension_of(const char* path)
{
    if (!path) return {};
    const char* dot = std::strrchr(path, '.');
    const char* slash = std::strrchr(path, '/');
    if (!dot || (slash && slash > dot)) return {};
    std::string ext(dot);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

ImageSource* open_file_source(const char* path) noexcept
{
    if (!path) return nullptr;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return nullptr;
    ImageSource* source = nullptr;
    try {
        if (std::fseek(file, 0, SEEK_END) == 0) {
            const long long size = std::ftell(file);
            if (size >= 0 && size <= kMaxSourceBytes && std::fseek(file, 0, SEEK_SET) == 0) {
                source = new ImageSource;
                source->bytes.resize(static_cast<std::size_t>(size));
                if (size > 0 && std::fread(source->bytes.data(), 1, source->bytes.size(), file) != source->bytes.size()) {
                    delete source;
                    source = nullptr;
                } else {
                    source->extension = extension_of(path);
                }
            }
        }
    } catch (...) {
        delete source;
        source = nullptr;
    }
    std::fclose(file);
    return source;
}

ImageSource* open_memory_source(const void* data, std::size_t size) noexcept
{
    if (!data && size) return nullptr;
    try {
        auto* source = new ImageSource;
        const auto* p = static_cast<const std::uint8_t*>(data);
        source->bytes.assign(p, p + size);
        return source;
    } catch (...) {
        return nullptr;
    }
}

void close_source(ImageSource* source) noexcept { delete source; }

int seek_source(ImageSource* source, long long offset, int whence) noexcept
{
    if (!source) return 0;
    long long base = whence == 0 ? 0 : whence == 1 ? static_cast<long long>(source->pos)
                                                   : static_cast<long long>(source->bytes.size());
    if (whence < 0 || whence > 2) return 0;
    const long long to = base + offset;
    if (to < 0 || to > static_cast<long long>(source->bytes.size())) return 0;
    source->pos = static_cast<std::size_t>(to);
    return 1;
}

ImageDest* open_file_dest(const char* path, int /*flags*/) noexcept
{
    if (!path || !*path) return nullptr;
    struct stat st {};
    if (stat(path, &st) == 0 && S_ISDIR(st.st_mode)) return nullptr;
    ImageDest* dest = new (std::nothrow) ImageDest;
    if (!dest) return nullptr;
    try {
        dest->path = path;
        std::string pattern = dest->path + ".XXXXXX";
        const int fd = mkstemp(pattern.data());
        if (fd < 0) {
            delete dest;
            return nullptr;
        }
        // mkstemp makes the file private; give it the mode a plain create would.
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
        close(fd);
        dest->tempPath = pattern;
        return dest;
    } catch (...) {
        delete dest;
        return nullptr;
    }
}

ImageDest* open_memory_dest() noexcept { return new (std::nothrow) ImageDest; }

namespace {

bool write_temporary(const ImageDest& dest)
{
    std::FILE* file = std::fopen(dest.tempPath.c_str(), "wb");
    if (!file) return false;
    bool ok = dest.bytes.empty() || std::fwrite(dest.bytes.data(), 1, dest.bytes.size(), file) == dest.bytes.size();
    ok = std::fflush(file) == 0 && ok;
    ok = fsync(fileno(file)) == 0 && ok;  // a full disk shows here at the latest
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

}  // namespace

int close_dest(ImageDest* dest) noexcept
{
    if (!dest) return 0;
    int ok = dest->failed ? 0 : 1;
    if (!dest->tempPath.empty()) {
        if (ok && write_temporary(*dest) && std::rename(dest->tempPath.c_str(), dest->path.c_str()) == 0) {
            dest->tempPath.clear();
        } else {
            ok = 0;
            std::remove(dest->tempPath.c_str());
        }
    }
    delete dest;
    return ok;
}

void discard_dest(ImageDest* dest) noexcept
{
    if (!dest) return;
    if (!dest->tempPath.empty()) std::remove(dest->tempPath.c_str());
    delete dest;
}

}  // namespace mve::il
