// The write-back patterns: one function each, chosen by the registry entry.
// Every pattern skips its write-back when the operation reports failure, so
// the layer keeps what it had (or what earlier steps of a composition left).
#include <wand/MagickWand.h>

#include <cstring>

#include "core/guard.h"
#include "core/transfer.h"
#include "dispatch/dispatch.h"
#include "dispatch/steps.h"
#include "imagelib/image_script.h"
#include "imagelib/library.h"
#include "ipl/processing_buffers.h"

namespace mve::dispatch {

const char* pattern_label(Pattern p) noexcept
{
    switch (p) {
        case Pattern::R1:
            return "R1";
        case Pattern::R2:
            return "R2";
        case Pattern::R3:
            return "R3";
        case Pattern::R4:
            return "R4";
        case Pattern::R5:
            return "R5";
        case Pattern::M:
            return "M";
        case Pattern::W:
            return "W";
        case Pattern::I:
            return "I";
        case Pattern::IF:
            return "I+";
        case Pattern::Own:
            return "own";
    }
    return "?";
}

namespace {

std::uint8_t* result_or(Frame& f, std::uint8_t* fallback) noexcept
{
    return f.result ? f.result : fallback;
}

// The operations of both replaces through Dst32 write all of Dst32 before
// they read any of it (a test holds each to that), so Dst32 may come in
// holding anything and may change places with Src32.

// Filtered replace: spatial filters work on premultiplied colour.
void filtered_replace(Frame& f, Operation op)
{
    refresh_source_for_overwrite(f);
    pre_filter(f, f.src32);
    if (!op(f)) return;
    std::uint8_t* out = result_or(f, f.dst32);
    post_filter(f, out);
    final_replace_write_back(f, out);
}

void plain_replace(Frame& f, Operation op)
{
    refresh_source_for_overwrite(f);
    if (op(f)) final_replace_write_back(f, result_or(f, f.dst32));
}

void in_place(Frame& f, Operation op)
{
    refresh_source(f);
    if (op(f)) final_replace_write_back(f, result_or(f, f.src32));
}

// RGB24: the layer's colour only; its alpha stays as it is. Both RGB24
// buffers are freed again by the frame's common end.
void rgb24(Frame& f, Operation op)
{
    f.src24 = ipl::allocate_canvas_buffer(f.e, f.e.ipl.src24, 3);
    f.dst24 = ipl::allocate_canvas_buffer(f.e, f.e.ipl.dst24, 3);
    require(f.src24 && f.dst24);
    core::read_current_rgb24(f.e, f.src24, f.width * 3);
    std::memcpy(f.dst24, f.src24, f.pixels() * 3);
    if (op(f)) core::load_rgb24_into_current(f.e, result_or(f, f.dst24), f.width * 3, true);
}

// Unrefreshed: Src32 as the host or an earlier call left it.
void unrefreshed(Frame& f, Operation op)
{
    if (op(f)) final_replace_write_back(f, result_or(f, f.dst32));
}

void merge(Frame& f, Operation op)
{
    refresh_source(f);
    if (op(f)) merge_write_back(f, result_or(f, f.dst32), f.mergeMode, f.mergeOpacity);
}

// ImageMagick: the operation works on the wand; a picture the wand cannot
// take, or an operation that fails, leaves the layer alone.
void magick(Frame& f, Operation op)
{
    require(il::ensure_magick());
    MagickWand* wand = NewMagickWand();
    require(wand != nullptr);
    struct Destroy {
        MagickWand* w;
        ~Destroy() { DestroyMagickWand(w); }
    } destroy{wand};
    refresh_source(f);
    if (MagickConstituteImage(wand, f.width, f.height, "RGBA", CharPixel, f.src32) == MagickFalse) return;
    f.wand = wand;
    if (!op(f)) return;
    if (MagickGetImageWidth(wand) != static_cast<size_t>(f.width) ||
        MagickGetImageHeight(wand) != static_cast<size_t>(f.height))
        return;
    if (MagickExportImagePixels(wand, 0, 0, f.width, f.height, "RGBA", CharPixel, f.dst32) == MagickFalse)
        return;
    final_replace_write_back(f, f.dst32);
}

// Image script: the operation adds its steps to the session's effect list;
// the list runs on Src32 (in the script module's B, G, R, A order). Steps
// that move pixels run on premultiplied colour (filtered), so transparent
// pixels do not bleed their colour into the ones they are mixed with.
void image_script(Frame& f, Operation op, bool filtered)
{
    refresh_source(f);
    il::isl_initialize();
    struct Finish {
        ~Finish() { il::isl_finish(); }
    } finish;
    if (!op(f)) return;
    if (filtered) pre_filter(f, f.src32);
    il::swap_red_blue(f.src32, f.width, f.height, f.row32());
    const int ok = il::isl_execute_script_on_image(f.src32, f.width, f.height);
    il::swap_red_blue(f.src32, f.width, f.height, f.row32());
    if (!ok) return;
    if (filtered) post_filter(f, f.src32);
    final_replace_write_back(f, f.src32);
}

}  // namespace

void run_pattern(Frame& f, const Entry& entry)
{
    f.entry = &entry;
    switch (entry.pattern) {
        case Pattern::R1:
            filtered_replace(f, entry.run);
            return;
        case Pattern::R2:
            plain_replace(f, entry.run);
            return;
        case Pattern::R3:
            in_place(f, entry.run);
            return;
        case Pattern::R4:
            rgb24(f, entry.run);
            return;
        case Pattern::R5:
            unrefreshed(f, entry.run);
            return;
        case Pattern::M:
            merge(f, entry.run);
            return;
        case Pattern::W:
            magick(f, entry.run);
            return;
        case Pattern::I:
            image_script(f, entry.run, false);
            return;
        case Pattern::IF:
            image_script(f, entry.run, true);
            return;
        case Pattern::Own:
            entry.run(f);
            return;
    }
}

}  // namespace mve::dispatch
