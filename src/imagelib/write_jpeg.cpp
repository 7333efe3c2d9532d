// JPEG writing with libjpeg-turbo, line by line, with the options the page
// writer sets beforehand (DCT method, smoothing, sampling factors).
#include <cstdio>  // jpeglib.h needs FILE
#include <jpeglib.h>

#include <csetjmp>
#include <new>

#include "core/runtime.h"
#include "imagelib/line_writer.h"

namespace mve::il {

namespace {

constexpr std::size_t kChunk = 64 * 1024;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void on_error_exit(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }
void no_output(j_common_ptr) {}

// Destination manager appending to an ImageDest in chunks.
struct DestManager {
    jpeg_destination_mgr base;
    ImageDest* dest;
    JOCTET buffer[kChunk];
};

void init_destination(j_compress_ptr cinfo)
{
    auto* m = reinterpret_cast<DestManager*>(cinfo->dest);
    m->base.next_output_byte = m->buffer;
    m->base.free_in_buffer = kChunk;
}
boolean empty_buffer(j_compress_ptr cinfo)
{
    auto* m = reinterpret_cast<DestManager*>(cinfo->dest);
    m->dest->write(m->buffer, kChunk);
    init_destination(cinfo);
    return TRUE;
}
void term_destination(j_compress_ptr cinfo)
{
    auto* m = reinterpret_cast<DestManager*>(cinfo->dest);
    m->dest->write(m->buffer, kChunk - m->base.free_in_buffer);
}

struct JpegWriter final : LineWriter {
    jpeg_compress_struct cinfo{};
    ErrorManager err{};
    DestManager manager{};
    bool created = false;

    ~JpegWriter() override
    {
        if (created) jpeg_destroy_compress(&cinfo);
    }
    bool line(const std::uint8_t* pixels) override
    {
        if (setjmp(err.jump)) return false;
        JSAMPROW row = const_cast<JSAMPROW>(pixels);
        jpeg_write_scanlines(&cinfo, &row, 1);
        return true;
    }
    bool finish() override
    {
        if (failed || written != height) return false;
        if (setjmp(err.jump)) return false;
        jpeg_finish_compress(&cinfo);
        return true;
    }
    bool start(ImageDest* dest, int quality, int bits, int xRes, int yRes, int unit)
    {
        cinfo.err = jpeg_std_error(&err.base);
        err.base.error_exit = on_error_exit;
        err.base.output_message = no_output;
        if (setjmp(err.jump)) return false;
        jpeg_create_compress(&cinfo);
        created = true;
        manager.dest = dest;
        manager.base.init_destination = init_destination;
        manager.base.empty_output_buffer = empty_buffer;
        manager.base.term_destination = term_destination;
        cinfo.dest = &manager.base;
        cinfo.image_width = static_cast<JDIMENSION>(width);
        cinfo.image_height = static_cast<JDIMENSION>(height);
        cinfo.input_components = bits / 8;
        cinfo.in_color_space = bits == 32 ? JCS_EXT_RGBA : JCS_RGB;  // alpha is dropped
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, quality < 1 ? 1 : quality > 100 ? 100 : quality, TRUE);
        const JpegWriteOptions& options = runtime().jpeg;
        cinfo.dct_method = options.dct == 2 ? JDCT_IFAST : options.dct == 3 ? JDCT_FLOAT : JDCT_ISLOW;
        cinfo.smoothing_factor = options.smoothing < 0     ? 0
                                 : options.smoothing > 100 ? 100
                                                           : options.smoothing;
        for (int c = 0; c < 3 && c < cinfo.num_components; ++c) {
            cinfo.comp_info[c].h_samp_factor = options.sampling[2 * c];
            cinfo.comp_info[c].v_samp_factor = options.sampling[2 * c + 1];
        }
        cinfo.write_JFIF_header = TRUE;
        cinfo.density_unit = static_cast<UINT8>(unit == 1 || unit == 2 ? unit : 0);
        cinfo.X_density = static_cast<UINT16>(xRes > 0 && xRes < 65536 ? xRes : 1);
        cinfo.Y_density = static_cast<UINT16>(yRes > 0 && yRes < 65536 ? yRes : 1);
        jpeg_start_compress(&cinfo, TRUE);
        return true;
    }
};

bool valid_factor(int f) { return f >= 1 && f <= 4; }

}  // namespace

void set_jpg_dct(int dct) noexcept
{
    runtime().jpeg.dct = dct;
}
void set_jpg_smoothing(int factor) noexcept
{
    runtime().jpeg.smoothing = factor;
}
void set_jpg_sampling(int h0, int v0, int h1, int v1, int h2, int v2) noexcept
{
    const int f[6] = {h0, v0, h1, v1, h2, v2};
    for (int v : f)
        if (!valid_factor(v)) return;
    for (int i = 0; i < 6; ++i) runtime().jpeg.sampling[i] = f[i];
}
void reset_jpg_options() noexcept
{
    runtime().jpeg = JpegWriteOptions{};
}

LineWriter* init_write_jpg_lines(ImageDest* dest, int width, int height, int quality, int bits, int xRes,
                                 int yRes, int unit) noexcept
{
    if (!dest || width <= 0 || height <= 0 || width > 65500 || height > 65500 || (bits != 24 && bits != 32))
        return nullptr;
    auto* w = new (std::nothrow) JpegWriter;
    if (!w) return nullptr;
    w->width = width;
    w->height = height;
    if (!w->start(dest, quality, bits, xRes, yRes, unit)) {
        delete w;
        return nullptr;
    }
    return w;
}

int write_jpg(ImageDest* dest, const std::uint8_t* pixels, int width, int height, int rowBytes, int quality,
              int bits, int xRes, int yRes, int unit) noexcept
{
    if (!pixels) return 0;
    return write_all_lines(init_write_jpg_lines(dest, width, height, quality, bits, xRes, yRes, unit), pixels,
                           rowBytes, false);
}

}  // namespace mve::il
