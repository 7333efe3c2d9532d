#include "platform/system_info.h"

#include <sys/resource.h>
#include <sys/sysinfo.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/engine.h"
#include "morvane/morvane.h"
#include "platform/hidden_window.h"

namespace mve::platform {

namespace {

std::uint64_t field_kb(const char* text, const char* name)
{
    const char* at = std::strstr(text, name);
    if (!at) return 0;
    return std::strtoull(at + std::strlen(name), nullptr, 10);
}

constexpr std::uint64_t kUserAddressSpace = 1ull << 47;

}  // namespace

MemoryStatus parse_meminfo(const char* text) noexcept
{
    MemoryStatus s;
    if (!text) return s;
    s.totalPhysical = field_kb(text, "MemTotal:") * 1024;
    // MemAvailable is what can be had without swapping; older kernels lack it.
    std::uint64_t avail = field_kb(text, "MemAvailable:");
    if (avail == 0) avail = field_kb(text, "MemFree:") + field_kb(text, "Cached:");
    s.availPhysical = avail * 1024;
    // Windows' page file figures include physical memory: commit limit = RAM + swap.
    s.totalPageFile = s.totalPhysical + field_kb(text, "SwapTotal:") * 1024;
    s.availPageFile = s.availPhysical + field_kb(text, "SwapFree:") * 1024;
    return s;
}

MemoryStatus memory_status() noexcept
{
    MemoryStatus s;
    if (std::FILE* f = std::fopen("/proc/meminfo", "r")) {
        std::string text(8192, '\0');
        std::size_t n = std::fread(text.data(), 1, text.size() - 1, f);
        std::fclose(f);
        text.resize(n);
        s = parse_meminfo(text.c_str());
    }
    if (s.totalPhysical == 0) {
        struct sysinfo info {};
        if (sysinfo(&info) == 0) {
            s.totalPhysical = std::uint64_t(info.totalram) * info.mem_unit;
            s.availPhysical = std::uint64_t(info.freeram + info.bufferram) * info.mem_unit;
            s.totalPageFile = s.totalPhysical + std::uint64_t(info.totalswap) * info.mem_unit;
            s.availPageFile = s.availPhysical + std::uint64_t(info.freeswap) * info.mem_unit;
        }
    }
    s.totalVirtual = kUserAddressSpace;
    struct rlimit limit {};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < s.totalVirtual)
        s.totalVirtual = limit.rlim_cur;
    s.availVirtual = s.totalVirtual;
    return s;
}

const char* system_directory() noexcept { return "/etc"; }

}  // namespace mve::platform

using namespace mve::platform;

namespace {

unsigned to_mb(std::uint64_t bytes) { return static_cast<unsigned>(bytes >> 20); }

}  // namespace

extern "C" {

MVE_API unsigned int MVE_GetWindowBackgroundColor(void) { return kButtonFaceColour; }
MVE_API unsigned int MVE_GetWindowTextColor(void) { return kButtonTextColour; }
MVE_API int MVE_GetWindowCaptionSize(void) { return kCaptionHeight; }
MVE_API int MVE_GetWindowSmallCaptionSize(void) { return kSmallCaptionHeight; }
MVE_API int MVE_GetWindowFixedFrameSize(void) { return kFixedFrameSize; }
MVE_API int MVE_GetWindowSizedFrameSize(void) { return kSizedFrameSize; }

// There is no window manager placement to read for a host window here.
MVE_API int MVE_SetWindowBasePos(int, int, int, int) { return 0; }

MVE_API unsigned int MVE_GetTotalPhyMemory(void) { return to_mb(memory_status().totalPhysical); }
MVE_API unsigned int MVE_GetAvailPhyMemory(void) { return to_mb(memory_status().availPhysical); }
MVE_API unsigned int MVE_GetTotalPgMemory(void) { return to_mb(memory_status().totalPageFile); }
MVE_API unsigned int MVE_GetAvailPgMemory(void) { return to_mb(memory_status().availPageFile); }
MVE_API unsigned int MVE_GetTotalVirMemory(void) { return to_mb(memory_status().totalVirtual); }
MVE_API unsigned int MVE_GetAvailVirMemory(void) { return to_mb(memory_status().availVirtual); }

MVE_API const char* MVE_GetDirInfo(void) { return system_directory(); }

// No desktop compositor is queried; hosts treat 0 as "draw it yourself".
MVE_API int MVE_IsCompositionEnabled(void) { return 0; }

MVE_API int MVE_IsDisplayChanged(void) { return take_display_changed(); }

}  // extern "C"
