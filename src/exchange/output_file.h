// A file that a recording appends to frame by frame (AVI and GIF output).
// It remembers where the last complete frame ended, so that after a failed
// write (a full disk) the file can be cut back to that point and finished
// there: the file never holds a torn frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace mve::exchange {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates (or empties) the file; false when it cannot be created.
    bool create(const std::string& path) noexcept;
    bool is_open() const noexcept { return fd_ >= 0; }

    // Writes at the current position; false (and nothing more is written
    // until rewind_to) when the bytes did not all reach the file.
    bool write(const void* data, std::size_t size) noexcept;
    bool write_u32(std::uint32_t v) noexcept;
    bool write_u16(std::uint16_t v) noexcept;
    bool write_fourcc(const char* code) noexcept { return write(code, 4); }
    // Overwrites bytes at an earlier offset without moving the position.
    bool patch(std::uint64_t offset, const void* data, std::size_t size) noexcept;
    bool patch_u32(std::uint64_t offset, std::uint32_t v) noexcept;

    std::uint64_t position() const noexcept { return position_; }
    bool failed() const noexcept { return failed_; }

    // Cuts the file back to `offset` (the end of the last good frame) and
    // writes from there again.
    bool rewind_to(std::uint64_t offset) noexcept;
    // Closes the file; false when closing reported an error.
    bool close() noexcept;

private:
    int fd_ = -1;
    std::uint64_t position_ = 0;
    bool failed_ = false;
};

// Finishes an open recording (an AVI or GIF writer) and lets it go.
template <class Writer>
void finish_recording(std::shared_ptr<Writer>& writer)
{
    if (!writer) return;
    writer->close();
    writer.reset();
}

// Test hook: the room left on the "disk" for every OutputFile, in bytes of
// file length (a write that would make a file longer fails as with ENOSPC);
// a negative value (the default) removes the limit.
void set_output_capacity_for_testing(long long bytes) noexcept;

}  // namespace mve::exchange
