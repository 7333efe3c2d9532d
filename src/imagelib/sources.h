// Sources and destinations of the codecs. A source holds the whole encoded
// file in memory (so every decoder reads from memory and the fuzz targets can
// feed bytes directly); a destination collects the encoded bytes and writes
// them to its file when it is closed. Handles are plain pointers; null is the
// failure value the engine tests for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mve::il {

struct ImageSource {
    std::vector<std::uint8_t> bytes;
    std::size_t pos = 0;
    std::string extension;  // lower case with the dot, "" when unknown (TGA has no signature)

    const std::uint8_t* here() const noexcept { return bytes.data() + pos; }
    std::size_t remaining() const noexcept { return bytes.size() - pos; }
};

struct ImageDest {
    std::vector<std::uint8_t> bytes;
    std::size_t pos = 0;  // write position (TIFF seeks back to patch its header)
    std::string path;     // empty for a memory destination
    std::string tempPath; // the temporary beside `path` that close_dest renames over it
    bool failed = false;
    int pngCompression = 6;      // zlib level of PNG writes; the clipboard trades size for speed with 1
    bool pngFastFilter = false;  // one row filter (Sub) instead of trying all five on every row

    void write(const void* data, std::size_t n);
    void seek(std::size_t to);
};

// Files above this size are refused by the file source.
constexpr long long kMaxSourceBytes = 1LL << 31;

ImageSource* open_file_source(const char* path) noexcept;
ImageSource* open_memory_source(const void* data, std::size_t size) noexcept;
void close_source(ImageSource* source) noexcept;
// Moves the read position: whence 0 from the start, 1 from here, 2 from the
// end. Non-zero on success.
int seek_source(ImageSource* source, long long offset, int whence) noexcept;

// Creates a temporary file beside `path` now, so an unwritable directory
// fails at once; the target itself is not touched until close_dest renames
// the finished temporary over it. A path naming a directory fails.
ImageDest* open_file_dest(const char* path, int flags) noexcept;
ImageDest* open_memory_dest() noexcept;
// Writes the collected bytes to the temporary and renames it over the target
// (memory destinations just end). Non-zero when everything reached the file;
// on any failure the temporary is removed and an existing target is intact.
int close_dest(ImageDest* dest) noexcept;
// Ends a destination without writing anything: the temporary is removed and
// the target stays as it was.
void discard_dest(ImageDest* dest) noexcept;

// Lower-case extension with the dot of a path, "" without one.
std::string extension_of(const char* path);

}  // namespace mve::il
