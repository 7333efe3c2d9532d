// Fuzzes the run-length line decoders. The first two bytes give the row
// width (1..1024); the rest is the encoded line. Checks that decoding never
// reads or writes outside its buffers, that the unbounded decoder reads at
// most one record per pixel, and that encoding the decoded row and decoding
// it again gives the same row.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

// The library archive is built without sanitizers; compiling the codec
// here instruments it, so ASan sees every byte it reads and writes.
#include "core/rle_codecs.cpp"

namespace {

template <int Record, int Channels, class Decode, class Encode>
void check_codec(const std::uint8_t* in, std::size_t size, int width, Decode decode, Encode encode)
{
    const std::size_t cells = static_cast<std::size_t>(width) * Channels;
    // Bounded decode over exactly the input.
    std::vector<std::uint8_t> exact(in, in + size);
    std::vector<std::uint16_t> row(cells, 0x5A5A);
    const std::size_t used = decode(exact.data(), exact.size(), row.data(), width);
    if (used > size || used % Record != 0) std::abort();

    // Unbounded decode over the input padded to one record per pixel with
    // runs of 1: it must stay inside that padded buffer (ASan checks).
    std::vector<std::uint8_t> padded(static_cast<std::size_t>(width) * Record, 1);
    std::memcpy(padded.data(), in, std::min(size, padded.size()));
    std::vector<std::uint16_t> row2(cells, 0x5A5A);
    decode(padded.data(), mve::kRleUnbounded, row2.data(), width);

    // Decoded values have zero low bytes except where untouched (0x5A5A).
    // Re-encoding then decoding the row reproduces its high bytes.
    std::vector<std::uint8_t> enc(static_cast<std::size_t>(width) * Record);
    const int n = encode(row.data(), enc.data(), width);
    if (n <= 0 || static_cast<std::size_t>(n) > enc.size() || n % Record != 0) std::abort();
    std::vector<std::uint16_t> back(cells, 0);
    if (decode(enc.data(), static_cast<std::size_t>(n), back.data(), width) != static_cast<std::size_t>(n))
        std::abort();
    for (std::size_t i = 0; i < cells; ++i)
        if (back[i] != (row[i] & 0xFF00)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2 || size > 65536) return 0;
    const int width = 1 + ((data[0] | data[1] << 8) % 1024);
    check_codec<mve::kRgbaRecordBytes, 4>(data + 2, size - 2, width, mve::rle_decode_rgba, mve::rle_encode_rgba);
    check_codec<mve::kGreyRecordBytes, 1>(data + 2, size - 2, width, mve::rle_decode_grey, mve::rle_encode_grey);
    return 0;
}
