// One plug-in file loaded with dlopen for as long as the object lives.
#pragma once

#include "morvane/plugin.h"

namespace mve::ipl {

class LoadedPlugin {
public:
    // Loads the file and checks its entry point; info() is null when the file
    // is not a plug-in of this interface version (nothing then stays loaded).
    explicit LoadedPlugin(const char* path) noexcept;
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    const MvePluginInfo* info() const noexcept { return info_; }

private:
    void* handle_ = nullptr;
    const MvePluginInfo* info_ = nullptr;
};

}  // namespace mve::ipl
