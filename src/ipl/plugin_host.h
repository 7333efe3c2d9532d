// The plug-in host: finding image-filter plug-ins (shared objects with the
// entry point of include/morvane/plugin.h) and running one on Src32 -> Dst32.
#pragma once

#include <functional>
#include <string>

namespace mve::ipl {

// What a plug-in says about itself, and the file it came from.
struct PluginReport {
    std::string file, name, category, description;
};

// Loads `path` and reads its entry point: true (and `out` filled) when it is
// a plug-in of this engine's interface version with a name and a run
// function. Files that are not shared objects, lack the entry point or
// report another version give false; nothing stays loaded.
bool probe_plugin(const char* path, PluginReport& out);

// Probes the candidates of `directory` (regular files whose names end in
// ".so" or hold ".so.", not its subdirectories) in name order and calls
// `found` for each plug-in. Returns how many were found; 0 for a directory
// that cannot be read.
int scan_plugin_directory(const char* directory, const std::function<void(const PluginReport&)>& found);

// The scan of the C interface: every plug-in found is put at the front of
// the engine's plug-in list with the texts (file, category, name). Returns
// the number found.
int photoshop_plugin_scan(const char* directory);

// Formats the front entry as "second :: third :: first" (category :: name ::
// file) into the 1024-byte name buffer, cut to fit, and drops the entry; an
// empty list gives "". Returns the buffer.
const char* photoshop_plugin_next_name();

// Runs the plug-in file on the current layer: Src32 is refreshed from the
// layer and handed over in B, G, R, A order, the plug-in writes Dst32, and on
// success Dst32 goes back to R, G, B, A and into the current layer through
// the Mask and texture. `mode` is the dispatcher's i3: low byte 1 runs the
// plug-in in colour mode and keeps the layer's alpha (its lock alpha is set
// for the write and restored after), anything else in full mode. Src32 is
// left in R, G, B, A order. Returns 0 on success; non-zero (layer unchanged)
// when the buffers are missing, the file is not a compatible plug-in or the
// plug-in reports failure. Throws Failure only when engine memory runs out.
int run_photoshop_plugin(const char* path, int mode);

}  // namespace mve::ipl
