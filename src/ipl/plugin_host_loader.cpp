#include "ipl/plugin_host_loader.h"

#include <dlfcn.h>

namespace mve::ipl {

LoadedPlugin::LoadedPlugin(const char* path) noexcept
{
    if (!path || !*path) return;
    // Local symbols: two plug-ins may define the same helper names.
    handle_ = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!handle_) return;
    const auto entry = reinterpret_cast<MvePluginEntryFn>(dlsym(handle_, MVE_PLUGIN_ENTRY_NAME));
    const MvePluginInfo* info = entry ? entry() : nullptr;
    if (info && info->abiVersion == MVE_PLUGIN_ABI_VERSION && info->name && info->run) {
        info_ = info;
        return;
    }
    dlclose(handle_);
    handle_ = nullptr;
}

LoadedPlugin::~LoadedPlugin()
{
    if (handle_) dlclose(handle_);
}

}  // namespace mve::ipl
