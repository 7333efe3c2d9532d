// Image scripts: a small text format of our own that describes a picture as a
// header (width, height, seed, background) and a list of steps, generators
// that paint patterns (plasma, Perlin noise, lines, points, circles, ...) and
// effects that change the picture (rotation, blur, invert, ...). The format
// is described in docs/image-scripts.md.
//
// Pictures are 4 bytes per pixel in B, G, R, A order, rows packed top to
// bottom: the order in which the engine hands pictures to this module (its
// callers swap red and blue on the way in and out). Every random choice uses
// the engine's C-runtime generator algorithm on a private instance seeded
// from the script, so a script renders the same picture on every run and
// never disturbs the engine's own generator.
//
// Two layers: pure functions (parse, render, apply effects) that tests and
// the fuzz target call directly, and a session in the style of the image
// library's scripting module (initialise, load, read header, execute, add
// effects, execute on an image, finish) that the brush and effect code use.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mve::il {

constexpr int kIslValueSlots = 20;      // values of one step (slots 0..19)
constexpr int kIslMaxSide = 4096;       // largest width or height of a script picture
constexpr int kIslMaxSteps = 256;       // steps of one script
constexpr std::size_t kIslMaxFileBytes = 1 << 20;  // larger script files are refused
// Most pixel visits one run of steps may make (about half a minute of
// 4096 x 4096 fills would be 2^33): a script whose estimated work is larger
// is refused before any step runs, so no script can stand for a hang.
constexpr double kIslWorkBudget = double(1 << 27);
constexpr int kIslRotateEffect = 51;    // rotation about the centre: slot 3 angle, slot 4 scale percent
// Effects and distortions of the dispatcher's script family (values in
// docs/image-scripts.md).
enum IslEffect : int {
    kIslColorize = 100,
    kIslEdge = 101,
    kIslBump = 102,
    kIslEmboss2 = 103,
    kIslMaximum = 104,
    kIslMinimum = 105,
    kIslTwirl = 110,
    kIslSine = 111,
    kIslKaleidoscope = 112,
    kIslScratch = 113,
    kIslWaves = 114,
    kIslDivider = 115,
    kIslCarpet = 116,
    kIslGlass = 117,
    kIslVoxel = 118,
    kIslZoom = 119,
    kIslTilt = 120,
    kIslSeamless = 121,
    kIslPatternize = 122,
};

struct IslStep {
    int id = 0;  // generator (1..49) or effect (50..) number
    std::array<double, kIslValueSlots> values = {};
};

struct IslHeader {
    int width = 0;
    int height = 0;
    std::uint32_t seed = 1;
    std::array<std::uint8_t, 4> background = {0, 0, 0, 255};  // R, G, B, A
};

struct ImageScript {
    IslHeader header;
    std::vector<IslStep> steps;
};

// Parses a script text. False (and `error` set to a line-numbered reason)
// when it does not follow the format; `out` is then unspecified.
bool parse_image_script(const char* text, std::size_t length, ImageScript& out, std::string* error = nullptr);

// A step with every value at the default of its generator or effect; false
// for an unknown id.
bool default_step(int id, IslStep& out) noexcept;
// The step id of a generator or effect name ("plasma", "rotate"), 0 when unknown.
int step_id_from_name(const char* name) noexcept;

// Renders the script into `bgra` (header.width * header.height pixels):
// background first, then every step in order. False for a bad size or null buffer.
bool render_image_script(const ImageScript& script, std::uint8_t* bgra) noexcept;

// Runs one step on an existing picture. Generators paint over it with the
// script's generator stream `rng_seed`; effects change it. False for an
// unknown id, a null picture or a bad size.
bool run_image_step(const IslStep& step, std::uint8_t* bgra, int width, int height, std::uint32_t rngSeed) noexcept;

// --- The session ------------------------------------------------------------
// One process-wide session, as the engine drives the scripting module: every
// call returns non-zero on success. Initialise starts an empty session;
// finish ends it and drops what it held.

int isl_initialize() noexcept;
void isl_finish() noexcept;
// Reads and parses a script file; 0 when the file is missing, too large or
// does not parse (the session then holds no script).
int isl_load_script_from_file(const char* path) noexcept;
// Prepares the loaded script for execution; 0 without one.
int isl_init_buffers() noexcept;
// Reads the header of a script file (the file is read and parsed again).
int isl_read_script_header_from_file(const char* path, IslHeader* header) noexcept;
// Renders the loaded script into a picture of exactly its header's size.
int isl_execute_script(std::uint8_t* bgra, int width, int height) noexcept;
// Appends a step with default values to the session's effect list. `tag` is
// kept with it for the caller (the engine passes 1 or the id again).
int isl_add_effect(int id, int tag) noexcept;
// Sets value `slot` of step `index` of the effect list.
int isl_set_effect_value(int index, int slot, double value) noexcept;
// Runs the effect list on an existing picture, keeping its size.
int isl_execute_script_on_image(std::uint8_t* bgra, int width, int height) noexcept;

// The engine's layer blend mode (0..30) of a dispatcher generator's blend
// code: 12 is "Normal", 0..11 are the modes 1..12, 13..30 stand for
// themselves; anything else is "Normal".
int layer_mode_from_blend_code(double code) noexcept;

// Number of script files read since start-up (tests check the shape cache with it).
long isl_file_reads() noexcept;

// Red and blue of packed 4-byte pixels swapped in place (RGBA <-> BGRA), rows
// rowBytes apart. Non-zero on success.
int swap_red_blue(std::uint8_t* pixels, int width, int height, int rowBytes) noexcept;

// The script session of the isl_* calls (load, buffers, execute, finish)
// and a count of script files read. It lives in the engine record; the
// accessor is defined where the record is assembled.
struct ImageScriptState {
    struct Session {
        bool active = false;
        bool loaded = false;
        bool buffersReady = false;
        ImageScript script;
        std::vector<IslStep> effects;
        std::vector<int> tags;
    } session;
    long fileReads = 0;
};

ImageScriptState& image_script_state() noexcept;

}  // namespace mve::il
