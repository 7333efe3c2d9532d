// Finding plug-ins and handing the list to the host one entry at a time.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/guard.h"
#include "engine/engine.h"
#include "ipl/plugin_host.h"
#include "ipl/plugin_host_loader.h"
#include "morvane/morvane.h"

namespace mve::ipl {

namespace {

bool is_candidate_name(const std::string& name)
{
    const std::size_t n = name.size();
    return (n > 3 && name.compare(n - 3, 3, ".so") == 0) || name.find(".so.") != std::string::npos;
}

// Regular files (symbolic links followed) of the directory with candidate names, sorted.
std::vector<std::string> candidate_files(const char* directory)
{
    std::vector<std::string> files;
    DIR* dir = directory ? opendir(directory) : nullptr;
    if (!dir) return files;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (!is_candidate_name(name)) continue;
        const std::string path = std::string(directory) + "/" + name;
        struct stat st;
        if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) files.push_back(path);
    }
    closedir(dir);
    std::sort(files.begin(), files.end());
    return files;
}

const char* or_empty(const char* text)
{
    return text ? text : "";
}

}  // namespace

bool probe_plugin(const char* path, PluginReport& out)
{
    const LoadedPlugin plugin(path);
    const MvePluginInfo* info = plugin.info();
    if (!info) return false;
    // Copied before the file is unloaded: the texts live in the plug-in.
    out.file = path;
    out.name = info->name;
    out.category = or_empty(info->category);
    out.description = or_empty(info->description);
    return true;
}

int scan_plugin_directory(const char* directory, const std::function<void(const PluginReport&)>& found)
{
    int count = 0;
    for (const std::string& file : candidate_files(directory)) {
        PluginReport report;
        if (!probe_plugin(file.c_str(), report)) continue;
        found(report);
        ++count;
    }
    return count;
}

int photoshop_plugin_scan(const char* directory)
{
    PluginState& state = engine().plugins;
    return scan_plugin_directory(directory, [&state](const PluginReport& r) {
        guarded("PhotoshopPluginScan_cb Excpt", [&] {
            state.entries.push_front({r.file, r.category, r.name});
        });
    });
}

const char* photoshop_plugin_next_name()
{
    PluginState& state = engine().plugins;
    char* buffer = state.nameBuffer;
    if (state.entries.empty()) {
        buffer[0] = '\0';
        return buffer;
    }
    const PluginListEntry& front = state.entries.front();
    // snprintf cuts an entry that does not fit instead of running past the buffer.
    std::snprintf(buffer, sizeof state.nameBuffer, "%s :: %s :: %s", front.second.c_str(),
                  front.third.c_str(), front.first.c_str());
    state.entries.pop_front();
    return buffer;
}

}  // namespace mve::ipl

using namespace mve;

extern "C" {

MVE_API int MVE_PhotoshopPluginScan(const char* directory)
{
    return guarded("PhotoshopPluginScan Excpt", 0, [&] { return ipl::photoshop_plugin_scan(directory); });
}

MVE_API const char* MVE_PhotoshopPluginNextName(void)
{
    // An empty text on failure: the host stops asking, as at the end of the list.
    return guarded("MVE_PhotoshopPluginNextName Excpt", "", [] { return ipl::photoshop_plugin_next_name(); });
}

}  // extern "C"
