// Document geometry that changes the size by resampling: resize with a named
// filter, content-aware (seam carving) resize and resize of the page.
#include "ipl/geometry.h"

#include <cstring>
#include <string_view>

#include "core/guard.h"
#include "imagelib/block_copy.h"
#include "imagelib/resampling.h"
#include "ipl/geometry_layers.h"

namespace mve {

namespace {

// What a filter name of MVE_IPLResize runs: a convolution filter code or an
// ImageMagick operation.
struct ResizeChoice {
    int code;          // il::ResizeFilterCode, when magick is false
    bool magick;
    il::MagickResize kind;
};

// Names are compared exactly. Every name resamples with the filter it names
// ("Bilinear" as "Nearest Neighbor"); unknown names give Lanczos3.
ResizeChoice choose_filter(const char* name)
{
    struct Entry {
        const char* name;
        ResizeChoice choice;
    };
    static const Entry kTable[] = {
        {"Area Average", {il::kFilterAreaAverage, false, {}}},
        {"Nearest Neighbor", {il::kFilterNearest, false, {}}},
        // "Bilinear" names the same point sampling as "Nearest Neighbor":
        // hosts choose either and get one picture.
        {"Bilinear", {il::kFilterNearest, false, {}}},
        {"Bicubic", {il::kFilterBicubic, false, {}}},
        {"Box", {il::kFilterBox, false, {}}},
        {"Triangle", {il::kFilterTriangle, false, {}}},
        {"Hamming", {il::kFilterHamming, false, {}}},
        {"Gaussian", {il::kFilterGaussian, false, {}}},
        {"Bell", {il::kFilterBell, false, {}}},
        {"B-Spline", {il::kFilterBSpline, false, {}}},
        {"Cubic 1", {il::kFilterCubic1, false, {}}},
        {"Cubic 2", {il::kFilterCubic2, false, {}}},
        {"Lanczos3", {il::kFilterLanczos3, false, {}}},
        {"Sinc", {il::kFilterSinc, false, {}}},
        {"Hermite", {il::kFilterHermite, false, {}}},
        {"Hanning", {il::kFilterHanning, false, {}}},
        {"Catrom", {il::kFilterCatrom, false, {}}},
        {"Adaptive", {0, true, il::MagickResize::Adaptive}},
        {"Mitchell", {0, true, il::MagickResize::Mitchell}},
    };
    if (name)
        for (const Entry& entry : kTable)
            if (std::strcmp(entry.name, name) == 0) return entry.choice;
    return {il::kFilterLanczos3, false, {}};
}

// Page offsets of an anchor, with dx = newWidth - W and dy = newHeight - H.
void anchor_offsets(const char* anchor, int dx, int dy, int& x, int& y)
{
    x = y = 0;
    if (!anchor || std::strlen(anchor) != 2) return;
    const std::string_view a(anchor);
    static const char* const kAnchors[] = {"TL", "TC", "TR", "ML", "MC", "MR", "BL", "BC", "BR"};
    for (int k = 0; k < 9; ++k)
        if (a == kAnchors[k]) {
            const int column = k % 3, row = k / 3;  // 0 left/top, 1 centre, 2 right/bottom
            x = column == 0 ? 0 : column == 1 ? dx / 2 : dx;
            y = row == 0 ? 0 : row == 1 ? dy / 2 : dy;
        }
}

// The page colour of a layer before the old content is placed on it.
void prepare_page(int index, std::uint8_t* page, int width, int height, int r, int g, int b)
{
    if (index == 1)
        core::fill_rgba32_buffer(page, width, height, r, g, b, 255);
    else if (index <= 253)
        std::memset(page, 0, static_cast<std::size_t>(width) * height * 4);
    else
        std::memset(page, 0xFF, static_cast<std::size_t>(width) * height * 4);
}

}  // namespace

namespace ipl {

void resize(Engine& e, int newWidth, int newHeight, const char* filterName)
{
    const int W = e.canvas.width, H = e.canvas.height;
    const ResizeChoice choice = choose_filter(filterName);
    for_each_user_layer(e, newWidth, newHeight, LockClear::BeforeRead,
                        [&](int, const std::uint8_t* old, std::uint8_t* result) {
                            if (choice.magick)
                                return il::magick_resize_rgba(old, W, H, result, newWidth, newHeight,
                                                              choice.kind) != 0;
                            return il::resize_image(old, W, H, W * 4, result, newWidth, newHeight,
                                                    newWidth * 4, 4, choice.code, 0) != 0;
                        });
}

void seam_carve(Engine& e, int newWidth, int newHeight)
{
    const int W = e.canvas.width, H = e.canvas.height;
    // The mask guides the carver when it is enabled.
    const std::uint16_t* guide = e.mask.enabled && e.mask.plane ? e.mask.plane.data() : nullptr;
    const int guideWidth = guide ? W : 0;
    for_each_user_layer(e, newWidth, newHeight, LockClear::BeforeRead,
                        [&](int, const std::uint8_t* old, std::uint8_t* result) {
                            // Only the width is carved: H rows of newWidth; the result
                            // buffer is newHeight rows, so carve into a buffer of H rows
                            // and keep what fits (extra rows stay transparent).
                            Plane8 carved;
                            if (!carved.allocate(static_cast<std::size_t>(newWidth) * H * 4)) return false;
                            if (!il::seam_carve_rgba(old, W, H, carved.data(), newWidth, guide, guideWidth))
                                return false;
                            const int rows = H < newHeight ? H : newHeight;
                            std::memcpy(result, carved.data(), static_cast<std::size_t>(newWidth) * rows * 4);
                            return true;
                        });
}

void resize_page(Engine& e, int newWidth, int newHeight, const char* anchor, int r, int g, int b)
{
    const int W = e.canvas.width, H = e.canvas.height;
    int x = 0, y = 0;
    anchor_offsets(anchor, newWidth - W, newHeight - H, x, y);
    for_each_user_layer(e, newWidth, newHeight, LockClear::AfterOperation,
                        [&](int index, const std::uint8_t* old, std::uint8_t* page) {
                            prepare_page(index, page, newWidth, newHeight, r, g, b);
                            return overlay_image(page, newWidth, newHeight, 4, newWidth * 4, old, W, H, W * 4,
                                                 x, y, 1.0, 0) != 0;
                        });
}

}  // namespace ipl

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API void MVE_IPLResize(int newWidth, int newHeight, const char* filterName)
{
    guarded("IPLResize Excpt", [&] { ipl::resize(engine(), newWidth, newHeight, filterName); });
}

MVE_API void MVE_IPLSeamCarvingRGBA(int newWidth, int newHeight, int /*ignored*/)
{
    guarded("IPLResize Excpt", [&] { ipl::seam_carve(engine(), newWidth, newHeight); });
}

MVE_API void MVE_IPLResizePage(int newWidth, int newHeight, const char* anchor, int r, int g, int b)
{
    guarded("IPLResizePage Excpt", [&] { ipl::resize_page(engine(), newWidth, newHeight, anchor, r, g, b); });
}

}  // extern "C"
