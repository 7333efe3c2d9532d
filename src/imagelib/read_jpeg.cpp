// JPEG decoding with libjpeg-turbo from memory. Errors longjmp back to the
// frame of run(); all state is in the caller's JpegDecode. A stream that ends
// early is a failure here (libjpeg would pad it with grey and carry on).
#include <cstdio>  // jpeglib.h needs FILE
#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>
#include <new>

#include "imagelib/library.h"
#include "imagelib/reading.h"

namespace mve::il {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    bool damaged = false;
};

void on_error_exit(j_common_ptr info)
{
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    std::longjmp(err->jump, 1);
}

// Warnings of level -1 are data problems; a premature end means the picture
// is incomplete.
void on_message(j_common_ptr info, int level)
{
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    if (level < 0 && err->base.msg_code == JWRN_JPEG_EOF) err->damaged = true;
}

void no_output(j_common_ptr) {}

// A progressive stream may hold any number of scans, each of which makes the
// decoder walk the whole picture again: past kMaxJpegScans it is refused.
void limit_scans(j_common_ptr info)
{
    auto* cinfo = reinterpret_cast<j_decompress_ptr>(info);
    if (cinfo->is_decompressor && cinfo->input_scan_number > kMaxJpegScans) std::longjmp(
        reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

struct JpegDecode {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_progress_mgr progress;
    std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int orientation = 1;
};

bool run(JpegDecode& d, const std::uint8_t* data, std::size_t size)
{
    if (setjmp(d.err.jump)) return false;
    jpeg_create_decompress(&d.cinfo);
    // Working memory beyond the limit fails instead of growing (there is no
    // backing store to spill to).
    d.cinfo.mem->max_memory_to_use = kDecoderWorkingMemory;
    d.progress.progress_monitor = limit_scans;
    d.cinfo.progress = &d.progress;
    jpeg_mem_src(&d.cinfo, data, static_cast<unsigned long>(size));
    jpeg_save_markers(&d.cinfo, JPEG_APP0 + 1, 0xFFFF);
    if (jpeg_read_header(&d.cinfo, TRUE) != JPEG_HEADER_OK) return false;
    for (jpeg_saved_marker_ptr m = d.cinfo.marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1 && d.orientation == 1) d.orientation = exif_orientation(m->data, m->data_length);
    d.cinfo.out_color_space = JCS_EXT_RGBA;  // turbo writes RGBA with alpha 255, also from grey and CMYK
    if (d.cinfo.jpeg_color_space == JCS_CMYK || d.cinfo.jpeg_color_space == JCS_YCCK) d.cinfo.out_color_space = JCS_CMYK;
    if (!acceptable_size(d.cinfo.image_width, d.cinfo.image_height)) return false;
    jpeg_start_decompress(&d.cinfo);
    d.width = static_cast<int>(d.cinfo.output_width);
    d.height = static_cast<int>(d.cinfo.output_height);
    d.pixels = allocate_block(d.width, d.height);
    if (!d.pixels) return false;
    const bool cmyk = d.cinfo.out_color_space == JCS_CMYK;
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        JSAMPROW row = d.pixels + static_cast<std::size_t>(d.cinfo.output_scanline) * d.width * 4;
        jpeg_read_scanlines(&d.cinfo, &row, 1);
        if (cmyk) {
            // Adobe CMYK is stored inverted: each channel times K gives the colour.
            for (int x = 0; x < d.width; ++x) {
                std::uint8_t* p = row + x * 4;
                const int k = p[3];
                p[0] = static_cast<std::uint8_t>(p[0] * k / 255);
                p[1] = static_cast<std::uint8_t>(p[1] * k / 255);
                p[2] = static_cast<std::uint8_t>(p[2] * k / 255);
                p[3] = 255;
            }
        }
        if (d.err.damaged) return false;
    }
    jpeg_finish_decompress(&d.cinfo);
    return !d.err.damaged;
}

}  // namespace

std::uint8_t* decode_jpeg(const std::uint8_t* data, std::size_t size, int* width, int* height) noexcept
{
    if (!data || size < 3 || data[0] != 0xFF || data[1] != 0xD8) return nullptr;
    auto* d = new (std::nothrow) JpegDecode{};
    if (!d) return nullptr;
    d->cinfo.err = jpeg_std_error(&d->err.base);
    d->err.base.error_exit = on_error_exit;
    d->err.base.emit_message = on_message;
    d->err.base.output_message = no_output;
    const bool ok = run(*d, data, size);
    jpeg_destroy_decompress(&d->cinfo);
    std::uint8_t* pixels = d->pixels;
    if (ok) pixels = apply_orientation(pixels, &d->width, &d->height, d->orientation);
    if (ok && pixels) {
        if (width) *width = d->width;
        if (height) *height = d->height;
    } else if (!ok) {
        release_block(pixels);
        pixels = nullptr;
    }
    delete d;
    return pixels;
}

}  // namespace mve::il
