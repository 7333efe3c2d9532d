// The pen driver library: found, loaded with dlopen on the first tablet call,
// and its entry points resolved by name on their own first use. A missing
// library or entry point makes that call return 0 and nothing else.
#include <dlfcn.h>

#include <cstdlib>

#include "tablet/tablet.h"

namespace mve::tablet {

std::string choose_driver_path(const std::string& hostPath, const char* envPath, const std::string& libraryDir)
{
    if (!hostPath.empty()) return hostPath;
    if (envPath && *envPath) return envPath;
    if (libraryDir.empty()) return {};
    return libraryDir + "/" + MVE_TABLET_XI2_DRIVER;
}

std::string engine_directory()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&engine_directory), &info) || !info.dli_fname) return {};
    std::string file = info.dli_fname;
    const auto slash = file.rfind('/');
    return slash == std::string::npos ? std::string(".") : file.substr(0, slash);
}

void unload_driver(TabletState& s) noexcept
{
    // The library is loaded while a context is open, so closing loads nothing.
    if (s.context) driver_close(s, s.context);
    s.context = nullptr;
    s.count = 0;
    if (s.driver.library) dlclose(s.driver.library);
    s.driver = TabletDriver{std::move(s.driver.hostPath)};
}

void set_driver_path(TabletState& s, const char* path)
{
    const std::string chosen = path ? path : "";
    if (chosen == s.driver.hostPath) return;
    unload_driver(s);
    s.driver.hostPath = chosen;
}

namespace {

bool load_library(TabletState& s)
{
    if (s.driver.library) return true;
    const std::string path =
        choose_driver_path(s.driver.hostPath, std::getenv(MVE_TABLET_DRIVER_ENV), engine_directory());
    if (path.empty()) return false;
    s.driver.library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    return s.driver.library != nullptr;
}

// The entry point in slot, resolved by name when it is still unknown.
template <class Fn>
Fn entry(TabletState& s, Fn& slot, const char* name)
{
    if (!slot && load_library(s)) slot = reinterpret_cast<Fn>(dlsym(s.driver.library, name));
    return slot;
}

}  // namespace

unsigned driver_info(TabletState& s, unsigned category, unsigned index, void* output)
{
    auto fn = entry(s, s.driver.info, "WTInfoA");
    return fn ? fn(category, index, output) : 0;
}

void* driver_open(TabletState& s, void* window, MveTabletContext* context, int enable)
{
    auto fn = entry(s, s.driver.open, "WTOpenA");
    return fn ? fn(window, context, enable) : nullptr;
}

int driver_queue_size_set(TabletState& s, void* context, int packets)
{
    auto fn = entry(s, s.driver.queueSizeSet, "WTQueueSizeSet");
    return fn ? fn(context, packets) : 0;
}

int driver_packets_get(TabletState& s, void* context, int maxPackets, void* packets)
{
    auto fn = entry(s, s.driver.packetsGet, "WTPacketsGet");
    return fn ? fn(context, maxPackets, packets) : 0;
}

int driver_close(TabletState& s, void* context)
{
    auto fn = entry(s, s.driver.close, "WTClose");
    return fn ? fn(context) : 0;
}

int driver_client_to_screen(TabletState& s, void* window, int* x, int* y)
{
    auto fn = entry(s, s.driver.clientToScreen, "MveClientToScreen");
    return fn ? fn(window, x, y) : 0;
}

}  // namespace mve::tablet
