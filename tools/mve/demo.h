// The demo of the reference host: a list of steps, each registered by the
// file that shows one family of the engine, run in order of their rank.
#pragma once

#include <functional>
#include <string>

namespace mve_host {

struct DemoContext {
    std::string outDir;  // where pictures are written
    int width = 0;
    int height = 0;
};

using DemoStep = std::function<bool(DemoContext&)>;

// Registers a step at static-initialisation time; returns true.
bool register_demo_step(int rank, const char* name, DemoStep step);

// Writes packed RGBA32 (or RGB24 with channels = 3) as a PNG; false on failure.
bool write_png(const std::string& path, const unsigned char* pixels, int width, int height, int channels);

// The composite of the visible layers (MVE_Merge) as an RGBA PNG in the out dir.
bool write_composite(const DemoContext& ctx, const char* name);

// Prints one line of what the demo did.
void say(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Fails the demo with a message when cond is false.
bool check(bool cond, const char* what);

}  // namespace mve_host

#define MVE_DEMO_STEP(rank, name, fn) \
    static const bool mve_demo_registered_##fn = ::mve_host::register_demo_step(rank, name, fn)
