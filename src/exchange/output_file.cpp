#include "exchange/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace mve::exchange {

namespace {

long long g_capacity = -1;

// Writes all of size bytes at offset, retrying short writes.
bool write_all_at(int fd, const std::uint8_t* p, std::size_t size, std::uint64_t offset)
{
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n, size -= static_cast<std::size_t>(n), offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

}  // namespace

void set_output_capacity_for_testing(long long bytes) noexcept
{
    g_capacity = bytes;
}

OutputFile::~OutputFile()
{
    close();
}

bool OutputFile::create(const std::string& path) noexcept
{
    close();
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    position_ = 0;
    failed_ = fd_ < 0;
    return fd_ >= 0;
}

bool OutputFile::write(const void* data, std::size_t size) noexcept
{
    if (fd_ < 0 || failed_) return false;
    const auto* p = static_cast<const std::uint8_t*>(data);
    if (g_capacity >= 0 && position_ + size > static_cast<std::uint64_t>(g_capacity)) {
        // What a full disk does: the bytes that fit arrive, the rest do not.
        const std::size_t fits =
            position_ < static_cast<std::uint64_t>(g_capacity)
                ? static_cast<std::size_t>(static_cast<std::uint64_t>(g_capacity) - position_)
                : 0;
        if (fits > 0 && write_all_at(fd_, p, fits, position_)) position_ += fits;
        failed_ = true;
        return false;
    }
    if (!write_all_at(fd_, p, size, position_)) {
        failed_ = true;
        return false;
    }
    position_ += size;
    return true;
}

bool OutputFile::write_u32(std::uint32_t v) noexcept
{
    const std::uint8_t b[4] = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16),
                               std::uint8_t(v >> 24)};
    return write(b, 4);
}

bool OutputFile::write_u16(std::uint16_t v) noexcept
{
    const std::uint8_t b[2] = {std::uint8_t(v), std::uint8_t(v >> 8)};
    return write(b, 2);
}

bool OutputFile::patch(std::uint64_t offset, const void* data, std::size_t size) noexcept
{
    // Patches stay inside what is already written, so they never need room.
    if (fd_ < 0 || offset + size > position_) return false;
    return write_all_at(fd_, static_cast<const std::uint8_t*>(data), size, offset);
}

bool OutputFile::patch_u32(std::uint64_t offset, std::uint32_t v) noexcept
{
    const std::uint8_t b[4] = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16),
                               std::uint8_t(v >> 24)};
    return patch(offset, b, 4);
}

bool OutputFile::rewind_to(std::uint64_t offset) noexcept
{
    if (fd_ < 0 || offset > position_) return false;
    if (::ftruncate(fd_, static_cast<off_t>(offset)) != 0) return false;
    position_ = offset;
    failed_ = false;
    return true;
}

bool OutputFile::close() noexcept
{
    if (fd_ < 0) return true;
    const bool ok = ::close(fd_) == 0;
    fd_ = -1;
    return ok;
}

}  // namespace mve::exchange
