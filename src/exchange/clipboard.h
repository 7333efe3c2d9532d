// The clipboard side of the exchange subsystem: pictures go out as PNG (with
// a BMP copy made on request) through the platform clipboard, and come in
// through the staging image. The paste helpers scale, turn, clip and merge a
// picture into the current layer or the PaintLayer.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/engine.h"
#include "exchange/exchange.h"

namespace mve::exchange {

// A packed RGBA32 picture the clipboard operations work on.
struct ClipPicture {
    std::vector<std::uint8_t> rgba;
    int width = 0;
    int height = 0;
    bool empty() const noexcept { return width <= 0 || height <= 0; }
    std::uint8_t* data() noexcept { return rgba.data(); }
    const std::uint8_t* data() const noexcept { return rgba.data(); }
};
ClipPicture make_picture(int width, int height);  // zeroed (transparent)

// PNG of a picture at the clipboard's fast compression; throws Failure when
// encoding fails.
std::vector<std::uint8_t> encode_clipboard_png(const std::uint8_t* rgba, int width, int height);

// Puts a picture on the clipboard (it is kept there as it is; the PNG is made
// when first asked for). False when the selection could not be taken.
bool put_on_clipboard(Engine& e, ClipPicture picture);
// Puts ready PNG bytes on the clipboard when they decode to a picture.
bool put_png_on_clipboard(Engine& e, std::vector<std::uint8_t> png);

enum class ClipRead { Ok, Empty, Failed };
// Reads the clipboard's picture into the staging image (the previous one is
// freed first). Empty: nothing there, nothing changed; Failed: the owner did
// not answer in time or sent something that does not decode.
ClipRead read_clipboard_into_staging(Engine& e);
// read_clipboard_into_staging for the exports: true with a staged picture,
// false when the clipboard is empty; throws Failure when reading failed, so
// the export records its text.
bool stage_clipboard(Engine& e);
// The clipboard's picture as PNG bytes (another program's BMP or JPEG is
// converted). Empty when there is none or it cannot be read.
std::vector<std::uint8_t> clipboard_png(Engine& e);

// The staging image as a picture (a copy); empty without one.
ClipPicture staged_picture(const StagingImage& s);

// Scales so the longer side becomes `size` (when that changes the size):
// smooth premultiplies and resamples (bicubic when any side is below 5,
// else Lanczos3); otherwise nearest neighbour.
ClipPicture scale_longer_side(const ClipPicture& p, int size, bool smooth);
// Resamples to exactly width x height (each at least 1), smooth or not.
ClipPicture resample_to(const ClipPicture& p, int width, int height, bool smooth);
// Turns by `angle` hundredths of a degree counter-clockwise on screen into
// the box that holds the whole result; 0 and 36000 return the picture as it
// is. smooth: premultiplied bilinear; otherwise nearest.
ClipPicture rotate_hundredths(const ClipPicture& p, int angle, bool smooth);
// The picture centred on a transparent side x side square (clipped when larger).
ClipPicture centre_on_square(const ClipPicture& p, int side);

// Merges a picture placed at (x, y): clipped to the canvas (nothing when no
// part is inside), through the Mask and texture when maskAndTexture, widened
// to RGBA64 and merged with `opacity` (0..256) into the PaintLayer ("Alpha
// Normal", lock alpha off, extents then the whole canvas) when toPaintLayer
// and a PaintLayer exists, else into the current layer ("Normal", its own
// lock alpha). False when nothing was merged.
bool merge_picture(Engine& e, ClipPicture p, int x, int y, int opacity, bool toPaintLayer,
                   bool maskAndTexture);

// Loads the picture into the current layer at (x, y), clipped: the covered
// pixels are replaced exactly (c << 8), alpha included; the rest of the layer
// keeps its 16-bit values.
bool overlay_into_current(Engine& e, const ClipPicture& p, int x, int y);

// The exports' operations (clipboard_copy.cpp, clipboard_paste.cpp,
// clipboard_brush.cpp, screen_capture.cpp). Those that read the clipboard
// return false when it is empty and throw Failure when reading failed.
void copy_layer_to_clipboard(Engine& e, bool useMask);
// A host picture of w x h placed at canvas (x, y) for the Mask.
void copy_host_picture_to_clipboard(Engine& e, const std::uint8_t* pixels, int x, int y, int w, int h,
                                    bool useMask);
// The rectangle between two corners (x1, y1 exclusive), always through an enabled Mask.
void copy_layer_rect_to_clipboard(Engine& e, int x0, int y0, int x1, int y1);
void flip_clipboard(Engine& e, bool horizontal);
bool clipboard_to_file(Engine& e, const char* path, const char* extension, int dpi);
bool file_to_clipboard(Engine& e, const char* path);

void clear_paste_cache(PasteCache& c) noexcept;
// The exact copy of the clipboard onto the current layer at (x, y), or
// centred there.
bool paste_into_current(Engine& e, int x, int y, bool centred);

// Arguments of the shaped paste.
struct ShapedPaste {
    int x = 0, y = 0;
    int size = 0;   // the longer side after scaling
    int angle = 0;  // hundredths of a degree, counter-clockwise
    bool centred = false;
    int smooth = 0;
    int opacity = 256;
    bool toPaintLayer = false;
    bool maskAndTexture = false;
};
// Scaled, turned (or the cached result for the same size, angle and smooth
// flag), placed and merged.
bool paste_shaped(Engine& e, const ShapedPaste& a);
// Stretched to w x h and merged at (x, y); no cache.
bool paste_stretched(Engine& e, int x, int y, int w, int h, const ShapedPaste& a);

// The clipboard as an image brush (size x size), as that square written to
// a PNG file, and as a grey brush-shape PNG file.
bool clipboard_to_image_brush(Engine& e, int size);
bool clipboard_to_image_brush_file(Engine& e, const char* path, int size);
bool clipboard_to_shape_file(Engine& e, const char* path, int size, int angle);
// The opaque-picture rule and the grey conversion of the shape file.
void alpha_from_darkness(ClipPicture& p) noexcept;
void grey_from_alpha(ClipPicture& p) noexcept;

// The screen into the staging image; onto the current layer at (0, 0).
bool capture_into_staging(Engine& e);
bool capture_into_layer(Engine& e);

}  // namespace mve::exchange
