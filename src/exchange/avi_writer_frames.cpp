// Frame encoders of the AVI writer: uncompressed DIB rows and MJPEG.
#include <cstdio>  // jpeglib.h needs FILE
// clang-format off
#include <jpeglib.h>
// clang-format on

#include <algorithm>
#include <csetjmp>
#include <cstdlib>

#include "core/parallel.h"
#include "exchange/avi_writer.h"

namespace mve::exchange {

namespace {

// A DIB frame: rows bottom-up, B, G, R, each row padded to four bytes.
class DibEncoder final : public AviFrameEncoder {
public:
    DibEncoder(int width, int height) : width_(width), height_(height) {}

    bool encode(const std::uint8_t* rgb, std::vector<std::uint8_t>& out) override
    {
        const std::size_t rowBytes = (static_cast<std::size_t>(width_) * 3 + 3) & ~std::size_t(3);
        out.assign(rowBytes * static_cast<std::size_t>(height_), 0);
        const int w = width_, h = height_;
        std::uint8_t* dst = out.data();
        for_each_plane_row(w, h, cost::kCopy, [&](int y) {
            const std::uint8_t* s = rgb + static_cast<std::size_t>(y) * w * 3;
            std::uint8_t* d = dst + static_cast<std::size_t>(h - 1 - y) * rowBytes;
            for (int x = 0; x < w; ++x, s += 3, d += 3) d[0] = s[2], d[1] = s[1], d[2] = s[0];
        });
        return true;
    }

private:
    int width_, height_;
};

struct JpegErrors {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void jump_on_error(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}
void stay_quiet(j_common_ptr) {}

// MJPEG: every frame a baseline JPEG (4:2:0), a key frame of its own. The
// compressor is built once and reused for every frame.
class MjpegEncoder final : public AviFrameEncoder {
public:
    MjpegEncoder(int width, int height, int quality) : width_(width), height_(height)
    {
        cinfo_.err = jpeg_std_error(&errors_.base);
        errors_.base.error_exit = jump_on_error;
        errors_.base.output_message = stay_quiet;
        if (setjmp(errors_.jump)) return;
        jpeg_create_compress(&cinfo_);
        created_ = true;
        cinfo_.image_width = static_cast<JDIMENSION>(width);
        cinfo_.image_height = static_cast<JDIMENSION>(height);
        cinfo_.input_components = 3;
        cinfo_.in_color_space = JCS_RGB;
        jpeg_set_defaults(&cinfo_);
        jpeg_set_quality(&cinfo_, quality >= 1 && quality <= 100 ? quality : 90, TRUE);
        cinfo_.dct_method = JDCT_ISLOW;
        cinfo_.write_JFIF_header = TRUE;
    }
    ~MjpegEncoder() override
    {
        if (created_) jpeg_destroy_compress(&cinfo_);
        std::free(buffer_);
    }

    bool encode(const std::uint8_t* rgb, std::vector<std::uint8_t>& out) override
    {
        if (!created_) return false;
        // jpeg_mem_dest grows buffer_ with malloc; it is kept for the next frame.
        unsigned long size = bufferSize_;
        unsigned char* const before = buffer_;
        if (setjmp(errors_.jump)) {
            jpeg_abort_compress(&cinfo_);
            return false;
        }
        jpeg_mem_dest(&cinfo_, &buffer_, &size);
        jpeg_start_compress(&cinfo_, TRUE);
        const std::size_t stride = static_cast<std::size_t>(width_) * 3;
        JSAMPROW rows[16];
        while (cinfo_.next_scanline < cinfo_.image_height) {
            const JDIMENSION y = cinfo_.next_scanline;
            const JDIMENSION n = std::min<JDIMENSION>(16, cinfo_.image_height - y);
            for (JDIMENSION i = 0; i < n; ++i) rows[i] = const_cast<JSAMPROW>(rgb + (y + i) * stride);
            jpeg_write_scanlines(&cinfo_, rows, n);
        }
        jpeg_finish_compress(&cinfo_);
        // A grown buffer is a new block; the one handed in is ours to free.
        if (buffer_ != before) std::free(before);
        out.assign(buffer_, buffer_ + size);
        if (size > bufferSize_) bufferSize_ = size;
        return true;
    }

private:
    int width_, height_;
    jpeg_compress_struct cinfo_{};
    JpegErrors errors_{};
    bool created_ = false;
    unsigned char* buffer_ = nullptr;
    unsigned long bufferSize_ = 0;
};

}  // namespace

std::unique_ptr<AviFrameEncoder> make_dib_encoder(int width, int height)
{
    return std::make_unique<DibEncoder>(width, height);
}

std::unique_ptr<AviFrameEncoder> make_mjpeg_encoder(int width, int height, int quality)
{
    return std::make_unique<MjpegEncoder>(width, height, quality);
}

}  // namespace mve::exchange
