// The plug-in list the scan fills and the name buffer entries are handed out in.
#pragma once

#include <forward_list>
#include <string>

namespace mve {

struct PluginListEntry {
    std::string first, second, third;  // in the order the scan reports them
};

struct PluginState {
    // New entries go to the front: they come out last found first.
    std::forward_list<PluginListEntry> entries;
    char nameBuffer[1024] = {};
};

}  // namespace mve
