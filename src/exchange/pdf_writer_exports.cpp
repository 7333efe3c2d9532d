// The PDF exports (the picture list lives in the engine record), and the
// small file helpers of the same family: renaming and the 16-bit blur of
// the current layer.
#include <stdio.h>

#include <fcntl.h>

#include <sys/stat.h>
#include <cerrno>
#include <cstdio>

#include "core/guard.h"
#include "exchange/exchange.h"
#include "imagelib/filters.h"
#include "morvane/morvane.h"

namespace mve::exchange {

bool rename_file(const char* from, const char* to) noexcept
{
    if (!from || !to || !*from || !*to) return false;
    // An existing target is never replaced (the host would lose that file).
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // File systems without the no-replace flag: check, then rename.
    struct stat st {};
    if (::lstat(to, &st) == 0) return false;
    return std::rename(from, to) == 0;
}

}  // namespace mve::exchange

using namespace mve;
using namespace mve::exchange;

namespace {

// Writes the listed pictures and empties the list; 1 when the file was written.
int make_pdf_from_list(const char* path, bool slideshow)
{
    auto& images = exchange_state().recording.pdfImages;
    const bool written = make_pdf(images, path, slideshow);
    images.clear();
    return written ? 1 : 0;
}

}  // namespace

extern "C" {

MVE_API void MVE_I2PDF_Reset(void)
{
    exchange_state().recording.pdfImages.clear();
}

MVE_API void MVE_I2PDF_AddImage(const char* path)
{
    guarded("I2PDF_AddImage Excpt", [&] {
        if (path && *path) exchange_state().recording.pdfImages.emplace_back(path);
    });
}

MVE_API int MVE_I2PDF_MakePDF(const char* path)
{
    return guarded("I2PDF_MakePDF Excpt", 0, [&] { return make_pdf_from_list(path, false); });
}

MVE_API int MVE_I2PDF_MakePDFSlideshow(const char* path)
{
    return guarded("I2PDF_MakePDFSlideshow Excpt", 0, [&] { return make_pdf_from_list(path, true); });
}

MVE_API int MVE_RenameFile(const char* oldPath, const char* newPath)
{
    return rename_file(oldPath, newPath) ? 1 : 0;
}

MVE_API void MVE_SetGrid(int)
{
    guarded("SetGrid Excpt", [&] {
        LayerRecord* layer = engine().layers.current;
        if (!layer || !layer->present()) return;
        il::magick_gaussian_blur_rgba64(layer->pixels.begin_write(), layer->width, layer->height, 5.0, 5.0);
    });
}

}  // extern "C"
