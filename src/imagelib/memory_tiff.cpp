#include "imagelib/memory_tiff.h"

#include <algorithm>
#include <cstring>

namespace mve::il {

namespace {

MemoryTiff& of(thandle_t h) { return *static_cast<MemoryTiff*>(h); }

tmsize_t read_proc(thandle_t h, void* out, tmsize_t n)
{
    MemoryTiff& m = of(h);
    if (n < 0 || m.pos >= m.size) return 0;
    const std::size_t count = std::min(static_cast<std::size_t>(n), m.size - m.pos);
    std::memcpy(out, m.data + m.pos, count);
    m.pos += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t write_proc(thandle_t h, void* in, tmsize_t n)
{
    MemoryTiff& m = of(h);
    if (!m.grow || n < 0) return 0;
    const std::size_t end = m.pos + static_cast<std::size_t>(n);
    try {
        if (end > m.grow->size()) m.grow->resize(end);
    } catch (...) {
        return 0;
    }
    m.data = m.grow->data();
    m.size = m.capacity = m.grow->size();
    std::memcpy(m.data + m.pos, in, static_cast<std::size_t>(n));
    m.pos = end;
    return n;
}

toff_t seek_proc(thandle_t h, toff_t offset, int whence)
{
    MemoryTiff& m = of(h);
    long long base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<long long>(m.pos)
                                                                 : static_cast<long long>(m.size);
    const long long to = base + static_cast<long long>(offset);
    if (to < 0) return static_cast<toff_t>(-1);
    m.pos = static_cast<std::size_t>(to);
    return static_cast<toff_t>(to);
}

int close_proc(thandle_t) { return 0; }
toff_t size_proc(thandle_t h) { return of(h).size; }
int map_proc(thandle_t, void**, toff_t*) { return 0; }
void unmap_proc(thandle_t, void*, toff_t) {}

int quiet_handler(TIFF*, void*, const char*, const char*, va_list) { return 1; }

}  // namespace

TIFF* open_memory_tiff(MemoryTiff& memory, const char* mode) noexcept
{
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return nullptr;
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, 256 * 1024 * 1024);
    TIFFOpenOptionsSetErrorHandlerExtR(options, quiet_handler, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, quiet_handler, nullptr);
    // "m" keeps libtiff from trying to map the block as a file.
    const char* full = mode[0] == 'r' ? "rm" : "wm";
    TIFF* tif = TIFFClientOpenExt("memory", full, &memory, read_proc, write_proc, seek_proc, close_proc,
                                  size_proc, map_proc, unmap_proc, options);
    TIFFOpenOptionsFree(options);
    return tif;
}

}  // namespace mve::il
