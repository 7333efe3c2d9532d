// Run-length line codecs of the documents the host stores.
//
// RGBA line: 5-byte records [n, R, G, B, A], n = 1..255, the colour bytes
// being the high bytes of the RGBA64 channels. Grey line: 2-byte records
// [n, v], v the high byte of a 16-bit value. Runs are found on high bytes
// only, so pixels that differ in their low bytes share a run, and decoding
// gives v << 8 (zero low bytes). A row of width 1 or less encodes as one
// record of its first pixel.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mve {

constexpr int kRleMaxRun = 255;
constexpr int kRgbaRecordBytes = 5;
constexpr int kGreyRecordBytes = 2;

// No limit on the input of a decoder: it then reads at most one record per
// pixel of the row (see below), i.e. no more than the encoder can write.
constexpr std::size_t kRleUnbounded = static_cast<std::size_t>(-1);

// Encodes `width` RGBA64 pixels; returns the bytes written (5 per run). `out`
// must hold 5 * max(width, 1) bytes.
int rle_encode_rgba(const std::uint16_t* in, std::uint8_t* out, int width) noexcept;
// Encodes `width` 16-bit values; returns the bytes written (2 per run). `out`
// must hold 2 * max(width, 1) bytes.
int rle_encode_grey(const std::uint16_t* in, std::uint8_t* out, int width) noexcept;

// Decodes one row of `width` pixels from at most `inBytes` bytes and returns
// the bytes read. Decoding ends when the row is full (a run that would pass
// the row end is clipped there), when fewer bytes than one record remain, or
// at a record whose run is 0: no encoder writes one, and ending there is what
// bounds the read to one record per pixel when the input length is unknown.
// Pixels not reached keep their old values; width <= 0 writes nothing.
std::size_t rle_decode_rgba(const std::uint8_t* in, std::size_t inBytes, std::uint16_t* out, int width) noexcept;
std::size_t rle_decode_grey(const std::uint8_t* in, std::size_t inBytes, std::uint16_t* out, int width) noexcept;

namespace core {

// One row encoded or decoded for a host, whose input has no known length;
// a null buffer does nothing (the encoders then return 0).
int rle_compress_rgba(const std::uint16_t* in, std::uint8_t* out, int width) noexcept;
void rle_uncompress_rgba(const std::uint8_t* in, std::uint16_t* out, int width) noexcept;
int rle_compress_grey(const std::uint16_t* in, std::uint8_t* out, int width) noexcept;
void rle_uncompress_grey(const std::uint8_t* in, std::uint16_t* out, int width) noexcept;

}  // namespace core

}  // namespace mve
