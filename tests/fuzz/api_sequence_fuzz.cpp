// Fuzz target of the public interface: the input is a byte-coded sequence of
// export calls. Each call is one opcode byte followed by its arguments, read
// from the input as it goes (a missing byte reads as 0). Small values are
// common, and one argument byte in eight picks an extreme (-1, 272, 100000,
// INT_MIN, INT_MAX ...). Host buffers are always as large as the export's
// contract says for the canvas the host asked for, so any report is the
// engine's fault.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "morvane/morvane.h"

namespace {

struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;
    bool more() const { return pos < size; }
    int byte() { return pos < size ? data[pos++] : 0; }
    // A small value 0..63, or one of the extremes.
    int value()
    {
        const int b = byte();
        if (b < 224) return b % 64 - 8;
        static const int extremes[] = {-1, 272, 100000, INT_MIN, INT_MAX, 1 << 24, -100000, 271};
        return extremes[b % 8];
    }
    int colour() { return byte() * 257; }
};

struct Host {
    int W = 0, H = 0;
    static int side(int v) { return (v < 0 || v > 10000) ? 100 : v; }
    std::size_t pixels() const { return static_cast<std::size_t>(W) * H; }
    // A stride for rows of `row` bytes as the argument byte says (exact,
    // padded, zero, negative, short) and a buffer it fits.
    static int stride(int code, int row)
    {
        switch (code % 6) {
        case 0: return 0;
        case 1: return -row;
        case 2: return row > 0 ? row - 1 : -1;
        case 3: return row + 4;
        default: return row;
        }
    }
    std::vector<std::uint8_t> buffer(int stride, int row) const
    {
        const std::size_t s = static_cast<std::size_t>(std::max(stride, row));
        return std::vector<std::uint8_t>(s * static_cast<std::size_t>(H) + 16);
    }
};

void run(Reader& in, Host& h)
{
    const int op = in.byte() % 40;
    switch (op) {
    case 0: {
        const int w = in.value() % 48, hh = in.value() % 48, m = in.value();
        MVE_CreateImage(nullptr, w, hh, m, 0);
        if (m >= 0 && m <= 4096) h.W = Host::side(w), h.H = Host::side(hh);
        break;
    }
    case 1: {
        const int w = in.value() % 48, hh = in.value() % 48, m = in.value();
        MVE_NewSize(nullptr, w, hh, m, 0);
        if (m >= 0 && m <= 4096) h.W = Host::side(w), h.H = Host::side(hh);
        break;
    }
    case 2: MVE_DeleteImage(); break;
    case 3: {
        const int i = in.value(), w = in.value(), hh = in.value();
        MVE_CreateLayer(i, std::min(w, 64), std::min(hh, 64));
        break;
    }
    case 4: MVE_DeleteLayer(in.value()); break;
    case 5: { const int a = in.value(); MVE_SwapLayers(a, in.value()); break; }
    case 6: MVE_SetLayer(in.value()); break;
    case 7: { const int i = in.value(); MVE_SetLayerOptions(i, in.byte() & 1, in.byte() & 1, in.value(), "Normal"); break; }
    case 8: MVE_SwapPaintLayer(in.value()); break;
    case 9: MVE_CreatePaintLayer(in.value(), in.value(), "Multiply"); break;
    case 10: { const int i = in.value(); MVE_MergePaintLayer(i); break; }
    case 11: {
        const int s = Host::stride(in.byte(), h.W * 4);
        auto b = h.buffer(s, h.W * 4);
        MVE_GetRGBA32Layer(b.data(), s, in.value());
        MVE_GetRGBA32(b.data(), s);
        MVE_LoadRGBA32(b.data(), s, in.byte() & 1);
        break;
    }
    case 12: {
        const int s = Host::stride(in.byte(), h.W * 3);
        auto b = h.buffer(s, h.W * 3);
        MVE_GetRGB24(b.data(), s);
        MVE_LoadRGB24(b.data(), s, in.byte() & 1);
        MVE_SaveMask(b.data(), s);
        MVE_LoadMask(b.data(), s, h.W, h.H);
        break;
    }
    case 13: {
        const int s = Host::stride(in.byte(), h.W * 8);
        auto b = h.buffer(s, h.W * 8);
        const int i = in.value();
        MVE_GetRGBA64Layer(reinterpret_cast<unsigned short*>(b.data()), s, i);
        MVE_SetRGBA64Layer(reinterpret_cast<unsigned short*>(b.data()), s, i);
        break;
    }
    case 14: {
        std::vector<unsigned short> b(h.pixels() * 4 + 8);
        const int i = in.value();
        MVE_GetLayerData(b.data(), i);
        MVE_SetLayerData(b.data(), in.value());
        MVE_Merge(b.data());
        break;
    }
    case 15: { const int a = in.value(); MVE_CopyLayerData(a, in.value()); break; }
    case 16: {
        const int x = in.value(), y = in.value(), w = in.byte() % 16, hh = in.byte() % 16;
        const int s = Host::stride(in.byte(), w * 4);
        std::vector<std::uint8_t> b(static_cast<std::size_t>(std::max(s, w * 4)) * hh + 16);
        MVE_LoadRGBA32Layer(b.data(), s, in.value(), x, y, w, hh, in.byte() & 1);
        break;
    }
    case 17: {
        const int x = in.value(), y = in.value(), w = in.byte() % 16 + 1, hh = in.byte() % 16 + 1;
        std::vector<unsigned short> b(static_cast<std::size_t>(w) * hh * 4);
        MVE_MergeRect(b.data(), x, y, w, hh);
        MVE_MergeLayerIntoRect(in.value(), b.data(), x, y, w, hh);
        MVE_GetRGBA64LayerRect(b.data(), w * 8, in.value(), x, y, w, hh);
        break;
    }
    case 18: MVE_Clear(in.byte(), in.byte(), in.byte(), in.byte()); break;
    case 19: MVE_ClearMaskedAlpha(in.byte(), in.byte(), in.byte(), in.byte()); break;
    case 20: MVE_SetSize(in.value()); break;
    case 21: MVE_SetBlendStrength(in.value()); break;
    case 22: { const int x = in.value(); MVE_DrawDabGrit(x, in.value(), in.colour(), in.colour(), in.colour()); break; }
    case 23: { const int x = in.value(); MVE_DrawDabGritMask(x, in.value()); break; }
    case 24: MVE_SetBlendBufferCount(in.value()); break;
    case 25: { const int i = in.value(), x = in.value(); MVE_CopyBlendBufferLayer(i, x, in.value(), in.byte()); break; }
    case 26: { const int i = in.value(), x = in.value(); MVE_MixBlendBufferLayer(i, x, in.value(), in.byte()); break; }
    case 27: { const int x = in.value(); MVE_CopyBlendBufferSurface(x, in.value(), in.byte(), in.byte() & 1); break; }
    case 28: { const int x = in.value(); MVE_DoCopyBlendBufferMask(x, in.value(), in.byte()); break; }
    case 29: {
        static const char* names[] = {"Nearest Neighbor", "Bilinear", "Lanczos3", "Area Average"};
        const int w = in.value() % 40, hh = in.value() % 40;
        MVE_IPLResize(w, hh, names[in.byte() % 4]);
        break;
    }
    case 30: { const int l = in.value(), t = in.value(), r = in.value(); MVE_IPLCrop(l, t, r, in.value()); break; }
    case 31:
        if (in.byte() & 1) MVE_IPLFlipHorizontal(); else MVE_IPLFlipVertical();
        break;
    case 32: {
        MVE_IPLAllocSrcBuffer32();
        MVE_IPLAllocDstBuffer32();
        const int a = in.value(), b = in.value(), c = in.value();
        MVE_WarpPointToPoint(a, b, c, in.value(), in.byte() & 1);
        break;
    }
    case 33: {
        const int w = in.byte() % 32 + 1, hh = in.byte() % 32 + 1;
        std::vector<std::uint8_t> b(static_cast<std::size_t>(w) * hh * 3);
        MVE_BlurMoreBufferRGB24(b.data(), w, hh, in.value(), in.byte());
        break;
    }
    case 34: {
        const int w = in.byte() % 24, hh = in.byte() % 24;
        const int s = Host::stride(in.byte(), w * 3);
        std::vector<std::uint8_t> b(static_cast<std::size_t>(std::max(s, w * 3)) * hh + 16);
        MVE_SetViewSize(in.value(), in.value());
        const int x = in.value();
        MVE_Render(b.data(), s, x, in.value(), w, hh);
        break;
    }
    case 35: {
        // The buffer holds the W x H rectangle placed at (x0, y0).
        const int s = Host::stride(in.byte(), h.W * 4);
        auto b = h.buffer(s, h.W * 4);
        const int x0 = in.value(), y0 = in.value();
        if (h.W > 0 && h.H > 0 && x0 <= INT_MAX - h.W && y0 <= INT_MAX - h.H)
            MVE_ApplyMaskToAlphaRect_RGBA32(b.data(), s, x0, y0, x0 + h.W - 1, y0 + h.H - 1);
        MVE_EnableMask(in.byte() & 1);
        break;
    }
    case 36: {
        int w = 0, hh = 0;
        MVE_GetLayerSize(in.value(), &w, &hh);
        MVE_GetLayerCount();
        break;
    }
    case 37: {
        const int i = in.value();
        std::vector<std::uint8_t> b(h.pixels() * 4 + 64);
        const int n = MVE_GetRGBA32LayerCompressed(b.data(), 0, static_cast<int>(b.size()), i, in.byte() % 10);
        if (n > 0) MVE_LoadRGBA32LayerCompressed(b.data(), 0, std::max(1, n - in.byte()), in.value());
        break;
    }
    case 38: { const int x = in.value(); MVE_GetColorAtLayer(x, in.value(), in.value()); break; }
    default: {
        const int w = in.byte() % 8 + 1, hh = in.byte() % 8 + 1;
        std::vector<std::uint8_t> b(static_cast<std::size_t>(w) * hh * 4);
        MVE_LoadImageBrushFromRGBA32(b.data(), w, hh);
        MVE_CopyFromImageBrush(in.byte());
        break;
    }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 4096) return 0;  // sequences of a few hundred calls are plenty
    Reader in{data, size};
    Host host;
    // A canvas of 0 x 0 deleted at once: every input starts from the same
    // engine, with calls before any real creation.
    MVE_CreateImage(nullptr, 0, 0, 0, 0);
    MVE_DeleteImage();
    while (in.more()) run(in, host);
    MVE_DeleteImage();
    return 0;
}
