// Buffer compression of the image-library layer: a memory block deflated into
// a zlib-format stream (RFC 1950) in a caller-supplied buffer, and such a
// stream inflated into a buffer whose size the caller already knows.
#pragma once

#include <cstddef>

namespace mve {

// Compression level used when the caller passes none in 1..12.
constexpr int kDefaultDeflateLevel = 6;

// Largest stream z_deflate_buffer can produce for `inBytes` input bytes.
std::size_t z_deflate_bound(std::size_t inBytes) noexcept;

// Deflates `in` into `out` as one zlib stream. `level` 1..12 picks the
// compression level (higher is smaller and slower); any other value means
// kDefaultDeflateLevel. Returns the stream length, or 0 when the stream does
// not fit into `outCapacity` bytes or an argument is null.
std::size_t z_deflate_buffer(const void* in, std::size_t inBytes, void* out, std::size_t outCapacity,
                             int level) noexcept;

// Inflates one zlib stream of at most `inBytes` bytes into `out`. Succeeds
// only when the stream is intact (checksum included) and expands to exactly
// `outBytes` bytes. On failure the contents of `out` are unspecified, so
// callers that must keep their data inflate into a scratch buffer first.
bool z_inflate_buffer(const void* in, std::size_t inBytes, void* out, std::size_t outBytes) noexcept;

// Most output bytes a deflate stream can yield per input byte (a 258-byte
// match costs at least two bits): a stream of n bytes never inflates to more
// than n * kMaxDeflateRatio, so a claimed size beyond that is refused unread.
constexpr std::size_t kMaxDeflateRatio = 1032;

}  // namespace mve
