// The effect dispatcher: one entry applies any registered effect, chosen by
// its exact name, to the current layer.
//
// A registered effect is an entry {name, family, write-back pattern,
// operation}. The frame (image_process) does what every call shares: seed,
// float parameters, packed colour, the buffer check, the lookup, and the
// common end (temporaries and RGB24 buffers freed, whole canvas marked dirty
// for undo). The pattern named in the entry brings the current layer into the
// processing buffers and writes the operation's result back; each pattern is
// one function (patterns.cpp). Operations only compute.
//
// Families live in their own files (family_<name>.cpp), each exposing its
// table; families.cpp lists the tables. A new family is one file plus one
// line there.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "core/memory.h"
#include "engine/engine.h"
#include "ipl/effect_runner.h"

namespace mve::dispatch {

// How an operation's result reaches the current layer.
enum class Pattern {
    R1,   // refresh Src32, premultiply, op Src32 -> Dst32, unpremultiply, replace write-back
    R2,   // refresh Src32, op Src32 -> Dst32, replace write-back
    R3,   // refresh Src32, op in place (result in Src32 unless the op says otherwise), replace write-back
    R4,   // current layer as RGB24 into Src24 (and Dst24), op, RGB24 write-back (alpha kept)
    R5,   // op on Src32 as it stands -> Dst32, replace write-back
    M,    // refresh Src32, op, result through Mask and texture, merged over the layer
    W,    // ImageMagick: Src32 constituted into a wand, op on the wand, exported to Dst32, replace write-back
    I,    // image script: Src32 through the op's script steps, replace write-back
    IF,   // image script on premultiplied Src32 (steps that move pixels), replace write-back
    Own,  // the op does its own reading and writing
};

const char* pattern_label(Pattern p) noexcept;

// The arguments of one call, after the frame's first step.
struct Arguments {
    int seed = 0;     // never 0 after the frame's first step
    int p[6] = {};    // p1..p6
    float f[6] = {};  // f1..f6 = pN * 0.1 in single precision
    int i[8] = {};    // i1..i8
    int r = 0, g = 0, b = 0;
    std::uint32_t colour = 0;  // r + g * 256 + b * 65536 (each the low byte)
    const char* text = nullptr;
};

struct Frame;
// Runs the effect's own computation; false when it did not succeed (the
// pattern then skips its write-back).
using Operation = bool (*)(Frame&);

struct Entry {
    const char* name;    // exact, case-sensitive
    const char* family;  // label for listings ("work buffers", "compositions", ...)
    Pattern pattern;
    Operation run;
};

// What an operation sees. Src32 and Dst32 are canvas-sized RGBA32; the RGB24
// buffers exist only under R4.
struct Frame {
    Engine& e;
    const Arguments& a;
    const Entry* entry = nullptr;  // the entry being run (operations shared by several names read it)
    int width = 0;
    int height = 0;
    std::uint8_t* src32 = nullptr;
    std::uint8_t* dst32 = nullptr;
    std::uint8_t* src24 = nullptr;
    std::uint8_t* dst24 = nullptr;
    // Where the result lies when it is not the pattern's default buffer.
    std::uint8_t* result = nullptr;
    // M: the merge of the result over the layer.
    int mergeMode = 0;
    int mergeOpacity = 255;
    // W: the wand holding the picture (MagickWand*).
    void* wand = nullptr;
    // The note Dst32 carried when the call began: which layer content it
    // held byte for byte, if any.
    DestinationBuffer::Mirror destinationMirror;

    Frame(Engine& engine, const Arguments& args) noexcept : e(engine), a(args) {}

    std::size_t pixels() const noexcept { return static_cast<std::size_t>(width) * height; }
    int row32() const noexcept { return width * 4; }
    // A canvas-sized zeroed temporary of `channels` bytes per pixel, freed at
    // the common end. Throws Failure when it cannot be allocated.
    std::uint8_t* temporary(int channels);
    // The arguments as the built-in runner takes them (p, i, colour bytes).
    ipl::EffectArgs builtin_args() const noexcept;

private:
    std::vector<std::unique_ptr<Plane8>> temporaries_;
};

// Every registered effect, family by family in dispatch order.
std::span<const Entry> registry();
// The entry of exactly `name`, else null (also for a null name).
const Entry* find_entry(const char* name) noexcept;

// Runs one pattern around one operation.
void run_pattern(Frame& f, const Entry& entry);

// The whole call: 0 when Src32 or Dst32 is missing, else 1 (also for an
// unknown name and after a caught failure, which records
// "IPLImageProc Excpt"). `seed` 0 draws one from the engine's generator.
int image_process(Engine& e, const char* name, int seed, const int p[6], const int i[8], int r, int g, int b,
                  const char* text) noexcept;

}  // namespace mve::dispatch
