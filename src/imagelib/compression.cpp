// Buffer compression on libdeflate: whole-buffer zlib streams, which is what
// the engine needs (the block and its size are known up front) and several
// times faster than streaming zlib at the same or a smaller output size.
#include "imagelib/compression.h"

#include <libdeflate.h>

namespace mve {

namespace {

int effective_level(int level) noexcept
{
    return (level >= 1 && level <= 12) ? level : kDefaultDeflateLevel;
}

// One compressor per level and thread, kept for the life of the thread:
// creating one allocates several hundred KB of match-finder tables. A
// compressor is not safe to share, and besides the host's thread the
// clipboard's service thread encodes (a picture another program asks for).
libdeflate_compressor* compressor_for(int level) noexcept
{
    struct Cache {
        libdeflate_compressor* byLevel[13] = {};
        ~Cache()
        {
            for (libdeflate_compressor* c : byLevel) libdeflate_free_compressor(c);
        }
    };
    thread_local Cache cache;
    libdeflate_compressor*& c = cache.byLevel[level];
    if (!c) c = libdeflate_alloc_compressor(level);
    return c;
}

struct Decompressor {
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    ~Decompressor() { libdeflate_free_decompressor(d); }
};

}  // namespace

std::size_t z_deflate_bound(std::size_t inBytes) noexcept
{
    // The bound does not depend on the level; a null compressor asks for the
    // bound of any compressor.
    return libdeflate_zlib_compress_bound(nullptr, inBytes);
}

std::size_t z_deflate_buffer(const void* in, std::size_t inBytes, void* out, std::size_t outCapacity,
                             int level) noexcept
{
    if (!in || !out) return 0;
    libdeflate_compressor* c = compressor_for(effective_level(level));
    if (!c) return 0;
    // libdeflate returns 0 when the stream does not fit.
    return libdeflate_zlib_compress(c, in, inBytes, out, outCapacity);
}

bool z_inflate_buffer(const void* in, std::size_t inBytes, void* out, std::size_t outBytes) noexcept
{
    if (!in || !out) return false;
    static Decompressor holder;
    if (!holder.d) return false;
    // Passing no actual-size pointer makes libdeflate insist on exactly
    // outBytes: a shorter stream gives SHORT_OUTPUT, a longer one
    // INSUFFICIENT_SPACE, and it never writes past out + outBytes.
    return libdeflate_zlib_decompress(holder.d, in, inBytes, out, outBytes, nullptr) == LIBDEFLATE_SUCCESS;
}

}  // namespace mve
