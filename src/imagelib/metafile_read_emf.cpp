// EMF playback: the header gives the frame (hundredths of a millimetre) and
// the reference device, whose pixels are the device units the records draw
// in; then one record after another until the end-of-file record.
#include <cmath>
#include <vector>

#include "imagelib/metafile.h"
#include "imagelib/metafile_bytes.h"
#include "imagelib/metafile_readers.h"
#include "imagelib/metafile_render.h"

namespace mve::il {

namespace {

enum EmfRecord : std::uint32_t {
    kHeader = 1,
    kPolyBezier = 2,
    kPolygon = 3,
    kPolyline = 4,
    kPolyBezierTo = 5,
    kPolylineTo = 6,
    kPolyPolyline = 7,
    kPolyPolygon = 8,
    kSetWindowExt = 9,
    kSetWindowOrg = 10,
    kSetViewportExt = 11,
    kSetViewportOrg = 12,
    kEof = 14,
    kSetMapMode = 17,
    kSetPolyFillMode = 19,
    kSetTextAlign = 22,
    kSetTextColor = 24,
    kMoveTo = 27,
    kIntersectClipRect = 30,
    kScaleViewportExt = 31,
    kScaleWindowExt = 32,
    kSaveDC = 33,
    kRestoreDC = 34,
    kSetWorldTransform = 35,
    kModifyWorldTransform = 36,
    kSelectObject = 37,
    kCreatePen = 38,
    kCreateBrushIndirect = 39,
    kDeleteObject = 40,
    kEllipse = 42,
    kRectangle = 43,
    kRoundRect = 44,
    kArc = 45,
    kChord = 46,
    kPie = 47,
    kCreatePalette = 49,
    kLineTo = 54,
    kBeginPath = 59,
    kEndPath = 60,
    kCloseFigure = 61,
    kFillPath = 62,
    kStrokeAndFillPath = 63,
    kStrokePath = 64,
    kAbortPath = 68,
    kExtSelectClipRgn = 75,
    kBitBlt = 76,
    kStretchBlt = 77,
    kStretchDIBits = 81,
    kExtCreateFontIndirectW = 82,
    kExtTextOutA = 83,
    kExtTextOutW = 84,
    kPolyBezier16 = 85,
    kPolygon16 = 86,
    kPolyline16 = 87,
    kPolyBezierTo16 = 88,
    kPolylineTo16 = 89,
    kPolyPolyline16 = 90,
    kPolyPolygon16 = 91,
    kCreateMonoBrush = 93,
    kCreateDIBPatternBrushPt = 94,
    kExtCreatePen = 95,
};

constexpr std::uint32_t kStockObject = 0x80000000u;
constexpr std::uint32_t kRegionCopy = 5;

// Points of a poly record: a count at `countAt`, points from `pointsAt`, 16 or 32 bits a coordinate.
std::vector<MetaPoint> read_points(const RecordView& r, std::size_t count, std::size_t at, bool small)
{
    std::vector<MetaPoint> points;
    const std::size_t step = small ? 4 : 8;
    if (!r.has(at, 0) || count > (r.size() - at) / step) return points;
    points.resize(count);
    for (std::size_t i = 0; i < count; ++i, at += step)
        points[i] = small ? MetaPoint{double(r.s16(at)), double(r.s16(at + 2))}
                          : MetaPoint{double(r.s32(at)), double(r.s32(at + 4))};
    return points;
}

// XFORM products in the row-vector convention: a applied first, then b.
void multiply(const double* a, const double* b, double* out)
{
    const double r[6] = {a[0] * b[0] + a[1] * b[2],        a[0] * b[1] + a[1] * b[3],
                         a[2] * b[0] + a[3] * b[2],        a[2] * b[1] + a[3] * b[3],
                         a[4] * b[0] + a[5] * b[2] + b[4], a[4] * b[1] + a[5] * b[3] + b[5]};
    for (int i = 0; i < 6; ++i) out[i] = r[i];
}

void world_transform(MetafilePainter& p, const RecordView& r, std::uint32_t mode)
{
    double x[6];
    for (int i = 0; i < 6; ++i) x[i] = r.f32(8 + 4 * i);
    double* w = p.state().world;
    static constexpr double kIdentity[6] = {1, 0, 0, 1, 0, 0};
    for (double v : x)
        if (!std::isfinite(v)) return;
    switch (mode) {
        case 1:
            std::copy(kIdentity, kIdentity + 6, w);
            break;
        case 2:
            multiply(x, w, w);
            break;
        case 3:
            multiply(w, x, w);
            break;
        case 4:
            std::copy(x, x + 6, w);
            break;
        default:
            break;
    }
}

void poly_polygon(MetafilePainter& p, const RecordView& r, bool small, bool closed)
{
    const std::uint32_t polys = r.u32(24), total = r.u32(28);
    if (r.size() < 32 || polys > (r.size() - 32) / 4) return;
    std::vector<std::uint32_t> counts(polys);
    for (std::uint32_t i = 0; i < polys; ++i) counts[i] = r.u32(32 + 4 * i);
    const std::vector<MetaPoint> points = read_points(r, total, 32 + 4 * std::size_t{polys}, small);
    if (points.size() != total) return;
    if (closed) {
        p.polygons(points, counts);
        return;
    }
    std::size_t at = 0;
    for (std::uint32_t n : counts) {
        if (n > points.size() - at) break;
        p.polyline(std::vector<MetaPoint>(points.begin() + at, points.begin() + at + n), false);
        at += n;
    }
}

MetaObject pen_object(std::uint32_t style, double width, std::uint32_t colour)
{
    MetaObject o;
    o.kind = MetaObject::kPen;
    o.pen = MetaPen{(style & 0xF) != 5, width, colour & 0xFFFFFF};
    return o;
}

MetaObject brush_object(std::uint32_t style, std::uint32_t colour)
{
    MetaObject o;
    o.kind = MetaObject::kBrush;
    o.brush = MetaBrush{style == 0, colour & 0xFFFFFF};  // only solid brushes are drawn
    return o;
}

// A block copy: a DIB stretched onto the destination, or a brush fill without one.
void block_copy(MetafilePainter& p, const RecordView& r, double x, double y, double w, double h, int sx,
                int sy, int sw, int sh, std::uint32_t rop, std::size_t infoAt, std::size_t bitsAt,
                std::uint32_t usage)
{
    const std::uint32_t offInfo = r.u32(infoAt), infoSize = r.u32(infoAt + 4);
    const std::uint32_t offBits = r.u32(bitsAt), bitsSize = r.u32(bitsAt + 4);
    if (infoSize == 0) {
        if (rop == kRopPatternCopy) p.fill_rectangle_with_brush(x, y, x + w, y + h);
        return;
    }
    if (rop != kRopSourceCopy || usage != 0 || !r.has(offInfo, infoSize) || !r.has(offBits, bitsSize)) return;
    p.draw_dib(x, y, w, h, sx, sy, sw, sh, r.data() + offInfo, infoSize, r.data() + offBits, bitsSize);
}

void play(MetafilePainter& p, std::uint32_t type, const RecordView& r)
{
    const bool small = type >= kPolyBezier16 && type <= kPolyPolygon16;
    MetaState& s = p.state();
    switch (type) {
        case kPolyBezier:
        case kPolyBezier16:
        case kPolyBezierTo:
        case kPolyBezierTo16:
            p.bezier(read_points(r, r.u32(24), 28, small), type == kPolyBezierTo || type == kPolyBezierTo16);
            break;
        case kPolygon:
        case kPolygon16: {
            const std::vector<MetaPoint> points = read_points(r, r.u32(24), 28, small);
            p.polygons(points, {static_cast<std::uint32_t>(points.size())});
            break;
        }
        case kPolyline:
        case kPolyline16:
        case kPolylineTo:
        case kPolylineTo16:
            p.polyline(read_points(r, r.u32(24), 28, small), type == kPolylineTo || type == kPolylineTo16);
            break;
        case kPolyPolyline:
        case kPolyPolyline16:
            poly_polygon(p, r, small, false);
            break;
        case kPolyPolygon:
        case kPolyPolygon16:
            poly_polygon(p, r, small, true);
            break;
        case kSetWindowExt:
            s.windowExtX = r.s32(8), s.windowExtY = r.s32(12);
            break;
        case kSetWindowOrg:
            s.windowOrgX = r.s32(8), s.windowOrgY = r.s32(12);
            break;
        case kSetViewportExt:
            s.viewportExtX = r.s32(8), s.viewportExtY = r.s32(12);
            break;
        case kSetViewportOrg:
            s.viewportOrgX = r.s32(8), s.viewportOrgY = r.s32(12);
            break;
        case kScaleViewportExt:
        case kScaleWindowExt: {
            const std::int32_t xd = r.s32(12), yd = r.s32(20);
            if (xd == 0 || yd == 0) break;
            double& ex = type == kScaleWindowExt ? s.windowExtX : s.viewportExtX;
            double& ey = type == kScaleWindowExt ? s.windowExtY : s.viewportExtY;
            ex = ex * r.s32(8) / xd;
            ey = ey * r.s32(16) / yd;
            break;
        }
        case kSetMapMode:
            s.mapMode = r.s32(8);
            break;
        case kSetPolyFillMode:
            s.winding = r.u32(8) == 2;
            break;
        case kMoveTo:
            p.move_to({double(r.s32(8)), double(r.s32(12))});
            break;
        case kLineTo:
            p.line_to({double(r.s32(8)), double(r.s32(12))});
            break;
        case kIntersectClipRect:
            p.intersect_clip(r.s32(8), r.s32(12), r.s32(16), r.s32(20));
            break;
        case kExtSelectClipRgn:
            if (r.u32(8) == 0 && r.u32(12) == kRegionCopy) p.reset_clip();
            break;
        case kSaveDC:
            p.save_state();
            break;
        case kRestoreDC:
            p.restore_state(r.s32(8));
            break;
        case kSetWorldTransform:
            world_transform(p, r, 4);
            break;
        case kModifyWorldTransform:
            world_transform(p, r, r.u32(32));
            break;
        case kSelectObject: {
            const std::uint32_t id = r.u32(8);
            (id & kStockObject) ? p.select_stock_object(id & ~kStockObject) : p.select_object(id);
            break;
        }
        case kDeleteObject:
            p.delete_object(r.u32(8));
            break;
        case kCreatePen:
            p.set_object(r.u32(8), pen_object(r.u32(12), r.s32(16), r.u32(24)));
            break;
        case kExtCreatePen: {
            const std::uint32_t style = r.u32(28);
            const bool geometric = (style & 0x00010000u) != 0;
            MetaObject pen = pen_object(style, geometric ? r.u32(32) : 0, r.u32(40));
            pen.pen.visible = pen.pen.visible && r.u32(36) != 1;  // a null brush draws nothing
            p.set_object(r.u32(8), pen);
            break;
        }
        case kCreateBrushIndirect:
            p.set_object(r.u32(8), brush_object(r.u32(12), r.u32(16)));
            break;
        case kCreateMonoBrush:
        case kCreateDIBPatternBrushPt:
            p.set_object(r.u32(8), brush_object(3, 0));
            break;
        case kExtCreateFontIndirectW: {
            // The LOGFONTW: height, width, escapement, orientation, weight,
            // italic byte, ..., a face of 32 UTF-16 characters at 28.
            MetaObject font;
            font.kind = MetaObject::kFont;
            font.font = MetaFont{double(r.s32(12)), double(r.s32(20)), r.s32(28), (r.u32(32) & 0xFF) != 0,
                                 r.utf16(40, 32)};
            p.set_object(r.u32(8), font);
            break;
        }
        case kSetTextColor:
            s.textColour = r.u32(8) & 0xFFFFFF;
            break;
        case kSetTextAlign:
            s.textAlign = r.u32(8);
            break;
        case kExtTextOutA:
        case kExtTextOutW: {
            // The text block at 36: reference point, character count, string offset.
            const std::uint32_t chars = r.u32(44), at = r.u32(48);
            const std::string text = type == kExtTextOutW ? r.utf16(at, chars) : r.latin1(at, chars);
            p.text({double(r.s32(36)), double(r.s32(40))}, text);
            break;
        }
        case kCreatePalette: {
            MetaObject other;
            other.kind = MetaObject::kOther;
            p.set_object(r.u32(8), other);
            break;
        }
        case kEllipse:
            p.ellipse(r.s32(8), r.s32(12), r.s32(16), r.s32(20));
            break;
        case kRectangle:
            p.rectangle(r.s32(8), r.s32(12), r.s32(16), r.s32(20));
            break;
        case kRoundRect:
            p.rectangle(r.s32(8), r.s32(12), r.s32(16), r.s32(20), r.s32(24), r.s32(28));
            break;
        case kArc:
        case kChord:
        case kPie: {
            const auto kind = type == kArc     ? MetafilePainter::ArcKind::kArc
                              : type == kChord ? MetafilePainter::ArcKind::kChord
                                               : MetafilePainter::ArcKind::kPie;
            p.arc(kind, r.s32(8), r.s32(12), r.s32(16), r.s32(20), {double(r.s32(24)), double(r.s32(28))},
                  {double(r.s32(32)), double(r.s32(36))});
            break;
        }
        case kBeginPath:
            p.begin_path();
            break;
        case kEndPath:
            p.end_path();
            break;
        case kCloseFigure:
            p.close_figure();
            break;
        case kFillPath:
            p.paint_path(true, false);
            break;
        case kStrokeAndFillPath:
            p.paint_path(true, true);
            break;
        case kStrokePath:
            p.paint_path(false, true);
            break;
        case kAbortPath:
            p.abort_path();
            break;
        case kStretchDIBits:
            block_copy(p, r, r.s32(24), r.s32(28), r.s32(72), r.s32(76), r.s32(32), r.s32(36), r.s32(40),
                       r.s32(44), r.u32(68), 48, 56, r.u32(64));
            break;
        case kBitBlt:
        case kStretchBlt: {
            const std::int32_t w = r.s32(32), h = r.s32(36);
            const bool stretch = type == kStretchBlt;
            block_copy(p, r, r.s32(24), r.s32(28), w, h, r.s32(44), r.s32(48), stretch ? r.s32(100) : w,
                       stretch ? r.s32(104) : h, r.u32(40), 84, 92, r.u32(80));
            break;
        }
        default:
            break;  // text, palettes, regions and the rest are not drawn
    }
}

struct EmfHeader {
    MetaFrame frame;
    double pixelsPerMmX = 96 / 25.4, pixelsPerMmY = 96 / 25.4;
    int handles = 0;
};

bool read_header(const RecordView& h, EmfHeader* out)
{
    if (h.size() < 88 || h.u32(0) != kHeader || h.u32(40) != 0x464D4520u) return false;
    if (h.u32(52) > kMaxMetafileRecords) return false;
    out->handles = h.u16(56);
    // The reference device's size in millimetres, from the micrometre field when present.
    double mmX = h.s32(80), mmY = h.s32(84);
    const std::uint32_t offDescription = h.u32(64);
    if (h.size() >= 108 && (offDescription == 0 || offDescription >= 108) && h.s32(100) > 0 &&
        h.s32(104) > 0) {
        mmX = h.s32(100) / 1000.0;
        mmY = h.s32(104) / 1000.0;
    }
    const std::int32_t devX = h.s32(72), devY = h.s32(76);
    if (devX > 0 && devY > 0 && mmX > 0 && mmY > 0) {
        out->pixelsPerMmX = devX / mmX;
        out->pixelsPerMmY = devY / mmY;
    }
    // The frame in whole device pixels; the bounds when the frame is empty.
    const double l = std::round(h.s32(24) / 100.0 * out->pixelsPerMmX);
    const double t = std::round(h.s32(28) / 100.0 * out->pixelsPerMmY);
    const double r = std::round(h.s32(32) / 100.0 * out->pixelsPerMmX);
    const double b = std::round(h.s32(36) / 100.0 * out->pixelsPerMmY);
    out->frame = MetaFrame{l, t, r - l, b - t};
    if (!(out->frame.width > 0 && out->frame.height > 0)) {
        const double bl = h.s32(8), bt = h.s32(12);
        out->frame = MetaFrame{bl, bt, h.s32(16) - bl + 1, h.s32(20) - bt + 1};
    }
    return h.ok() && out->frame.width > 0 && out->frame.height > 0;
}

}  // namespace

std::uint8_t* render_emf(const std::uint8_t* data, std::size_t size, int width, int height,
                         std::uint32_t background, int* outWidth, int* outHeight)
{
    const RecordView file(data, size);
    const std::uint32_t headerSize = file.u32(4);
    EmfHeader header;
    if (!file.has(0, headerSize) || !read_header(RecordView(data, headerSize), &header)) return nullptr;
    if (!metafile_output_size(header.frame.width, header.frame.height, &width, &height)) return nullptr;
    MetafilePainter painter;
    if (!painter.begin(width, height, background, header.frame, header.pixelsPerMmX, header.pixelsPerMmY,
                       header.handles))
        return nullptr;
    std::size_t at = headerSize;
    for (std::uint32_t count = 1; at < size; ++count) {
        const std::uint32_t type = file.u32(at), recordSize = file.u32(at + 4);
        // A record must be whole, word-aligned and inside the file.
        if (count > kMaxMetafileRecords || recordSize < 8 || recordSize % 4 || !file.has(at, recordSize))
            return nullptr;
        if (type == kEof) break;
        play(painter, type, RecordView(data + at, recordSize));
        at += recordSize;
    }
    std::uint8_t* block = painter.finish();
    if (block) *outWidth = width, *outHeight = height;
    return block;
}

}  // namespace mve::il
