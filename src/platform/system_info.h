// System figures: theme colours and metrics, memory status, directories.
#pragma once

#include <cstdint>

namespace mve::platform {

// Colours packed as 0x00BBGGRR, the layout hosts expect.
inline constexpr unsigned kButtonFaceColour = 0x00F0F0F0;
inline constexpr unsigned kButtonTextColour = 0x00000000;
inline constexpr int kCaptionHeight = 23;
inline constexpr int kSmallCaptionHeight = 23;
inline constexpr int kFixedFrameSize = 3;
inline constexpr int kSizedFrameSize = 8;

struct MemoryStatus {
    std::uint64_t totalPhysical = 0, availPhysical = 0;
    std::uint64_t totalPageFile = 0, availPageFile = 0;
    std::uint64_t totalVirtual = 0, availVirtual = 0;
};

// Parses the text of /proc/meminfo (values in kB); missing fields stay 0.
MemoryStatus parse_meminfo(const char* text) noexcept;

// Memory status from the kernel: physical memory and swap (the page file);
// the virtual address space is the process's 47-bit user space.
MemoryStatus memory_status() noexcept;

// The system configuration directory.
const char* system_directory() noexcept;

}  // namespace mve::platform
