// WMF playback. Records hold 16-bit words, most parameters in reverse order.
// The picture frame is the placeable header's bounding box, or the file's
// first window origin and extent when it has no placeable header; the window
// is always mapped onto that frame (isotropically when the file asks for it),
// so the viewport records, which belong to the program playing the file,
// are not followed.
#include <algorithm>
#include <vector>

#include "imagelib/metafile.h"
#include "imagelib/metafile_bytes.h"
#include "imagelib/metafile_readers.h"
#include "imagelib/metafile_render.h"

namespace mve::il {

namespace {

enum WmfRecord : std::uint16_t {
    kEof = 0x0000,
    kSaveDC = 0x001E,
    kCreatePalette = 0x00F7,
    kSetMapMode = 0x0103,
    kSetPolyFillMode = 0x0106,
    kSetTextAlign = 0x012E,
    kSetTextColor = 0x0209,
    kTextOut = 0x0521,
    kExtTextOut = 0x0A32,
    kRestoreDC = 0x0127,
    kSelectObject = 0x012D,
    kDibCreatePatternBrush = 0x0142,
    kDeleteObject = 0x01F0,
    kCreatePatternBrush = 0x01F9,
    kSetWindowOrg = 0x020B,
    kSetWindowExt = 0x020C,
    kOffsetWindowOrg = 0x020F,
    kLineTo = 0x0213,
    kMoveTo = 0x0214,
    kCreatePenIndirect = 0x02FA,
    kCreateFontIndirect = 0x02FB,
    kCreateBrushIndirect = 0x02FC,
    kPolygon = 0x0324,
    kPolyline = 0x0325,
    kScaleWindowExt = 0x0410,
    kIntersectClipRect = 0x0416,
    kEllipse = 0x0418,
    kRectangle = 0x041B,
    kPolyPolygon = 0x0538,
    kRoundRect = 0x061C,
    kPatBlt = 0x061D,
    kCreateRegion = 0x06FF,
    kArc = 0x0817,
    kPie = 0x081A,
    kChord = 0x0830,
    kDibBitBlt = 0x0940,
    kDibStretchBlt = 0x0B41,
    kStretchDib = 0x0F43,
};

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7u;

// Parameter i (a signed word) of a record.
double word(const RecordView& r, int i)
{
    return r.s16(6 + 2 * i);
}

std::vector<MetaPoint> read_points(const RecordView& r, std::size_t count, std::size_t at)
{
    std::vector<MetaPoint> points;
    if (!r.has(at, 0) || count > (r.size() - at) / 4) return points;
    points.resize(count);
    for (std::size_t i = 0; i < count; ++i, at += 4) points[i] = {double(r.s16(at)), double(r.s16(at + 2))};
    return points;
}

// Bytes of a DIB's header and colour table; 0 when they do not fit.
std::size_t dib_info_size(const RecordView& r, std::size_t at)
{
    const std::uint32_t headerSize = r.u32(at);
    if (headerSize == 12) {  // core header: three-byte colour entries
        const int bits = r.u16(at + 10);
        const std::size_t size = 12 + (bits <= 8 ? (std::size_t{1} << bits) * 3 : 0);
        return r.has(at, size) ? size : 0;
    }
    if (headerSize < 40) return 0;
    const int bits = r.u16(at + 14);
    const std::uint32_t compression = r.u32(at + 16), used = r.u32(at + 32);
    std::size_t colours = used ? used : bits <= 8 ? std::size_t{1} << bits : 0;
    if (colours > 256 && bits <= 8) colours = 256;
    std::size_t size = std::size_t{headerSize} + colours * 4;
    if (compression == 3 && headerSize == 40) size += 12;  // bit-field masks
    return r.ok() && r.has(at, size) ? size : 0;
}

void stretch_dib(MetafilePainter& p, const RecordView& r, std::uint32_t rop, double x, double y, double w,
                 double h, int sx, int sy, int sw, int sh, std::size_t dibAt)
{
    const std::size_t info = dib_info_size(r, dibAt);
    if (rop != kRopSourceCopy || info == 0) return;
    p.draw_dib(x, y, w, h, sx, sy, sw, sh, r.data() + dibAt, info, r.data() + dibAt + info,
               r.size() - dibAt - info);
}

MetaObject other_object(bool isBrush)
{
    MetaObject o;
    o.kind = isBrush ? MetaObject::kBrush : MetaObject::kOther;
    o.brush.visible = false;  // pattern brushes are not drawn
    return o;
}

void play(MetafilePainter& p, std::uint16_t function, const RecordView& r)
{
    MetaState& s = p.state();
    switch (function) {
        case kSetWindowOrg:
            s.windowOrgX = word(r, 1), s.windowOrgY = word(r, 0);
            break;
        case kSetWindowExt:
            s.windowExtX = word(r, 1), s.windowExtY = word(r, 0);
            break;
        case kOffsetWindowOrg:
            s.windowOrgX += word(r, 1), s.windowOrgY += word(r, 0);
            break;
        case kScaleWindowExt:
            if (word(r, 0) != 0 && word(r, 2) != 0) {
                s.windowExtX = s.windowExtX * word(r, 3) / word(r, 2);
                s.windowExtY = s.windowExtY * word(r, 1) / word(r, 0);
            }
            break;
        case kSetMapMode:
            s.mapMode = r.s16(6) == kMapIsotropic ? kMapIsotropic : kMapAnisotropic;
            break;
        case kSetPolyFillMode:
            s.winding = word(r, 0) == 2;
            break;
        case kSaveDC:
            p.save_state();
            break;
        case kRestoreDC:
            p.restore_state(static_cast<int>(word(r, 0)));
            break;
        case kMoveTo:
            p.move_to({word(r, 1), word(r, 0)});
            break;
        case kLineTo:
            p.line_to({word(r, 1), word(r, 0)});
            break;
        case kRectangle:
            p.rectangle(word(r, 3), word(r, 2), word(r, 1), word(r, 0));
            break;
        case kRoundRect:
            p.rectangle(word(r, 5), word(r, 4), word(r, 3), word(r, 2), word(r, 1), word(r, 0));
            break;
        case kEllipse:
            p.ellipse(word(r, 3), word(r, 2), word(r, 1), word(r, 0));
            break;
        case kArc:
        case kPie:
        case kChord: {
            const auto kind = function == kArc   ? MetafilePainter::ArcKind::kArc
                              : function == kPie ? MetafilePainter::ArcKind::kPie
                                                 : MetafilePainter::ArcKind::kChord;
            p.arc(kind, word(r, 7), word(r, 6), word(r, 5), word(r, 4), {word(r, 3), word(r, 2)},
                  {word(r, 1), word(r, 0)});
            break;
        }
        case kPolygon:
        case kPolyline: {
            const std::vector<MetaPoint> points = read_points(r, r.u16(6), 8);
            if (function == kPolygon)
                p.polygons(points, {static_cast<std::uint32_t>(points.size())});
            else
                p.polyline(points, false);
            break;
        }
        case kPolyPolygon: {
            const std::size_t polys = r.u16(6);
            std::vector<std::uint32_t> counts(polys);
            std::size_t total = 0;
            for (std::size_t i = 0; i < polys; ++i) total += counts[i] = r.u16(8 + 2 * i);
            if (r.ok()) p.polygons(read_points(r, total, 8 + 2 * polys), counts);
            break;
        }
        case kCreatePenIndirect: {
            MetaObject pen;
            pen.kind = MetaObject::kPen;
            pen.pen = MetaPen{(r.u16(6) & 0xF) != 5, double(r.s16(8)), r.u32(12) & 0xFFFFFF};
            p.add_object(pen);
            break;
        }
        case kCreateBrushIndirect: {
            MetaObject brush;
            brush.kind = MetaObject::kBrush;
            brush.brush = MetaBrush{r.u16(6) == 0, r.u32(8) & 0xFFFFFF};  // only solid brushes are drawn
            p.add_object(brush);
            break;
        }
        case kCreatePatternBrush:
        case kDibCreatePatternBrush:
            p.add_object(other_object(true));
            break;
        case kCreateFontIndirect: {
            // Height, width, escapement, orientation, weight, italic byte, ...,
            // a face of 32 bytes at 24.
            MetaObject font;
            font.kind = MetaObject::kFont;
            font.font = MetaFont{double(r.s16(6)), double(r.s16(10)), r.s16(14), (r.u16(16) & 0xFF) != 0,
                                 r.latin1(24, std::min<std::size_t>(32, r.size() > 24 ? r.size() - 24 : 0))};
            p.add_object(font);
            break;
        }
        case kSetTextColor:
            s.textColour = r.u32(6) & 0xFFFFFF;
            break;
        case kSetTextAlign:
            s.textAlign = r.u16(6);
            break;
        case kTextOut: {
            // Length, the bytes padded to a word, then y and x.
            const std::size_t length = r.u16(6), after = 8 + ((length + 1) & ~std::size_t{1});
            p.text({double(r.s16(after + 2)), double(r.s16(after))}, r.latin1(8, length));
            break;
        }
        case kExtTextOut: {
            // y, x, length, options, a rectangle when clipped or opaque, the bytes.
            const std::size_t length = r.u16(10), at = (r.u16(12) & 0x0006) != 0 ? 22 : 14;
            p.text({double(r.s16(8)), double(r.s16(6))}, r.latin1(at, length));
            break;
        }
        case kCreatePalette:
        case kCreateRegion:
            p.add_object(other_object(false));
            break;
        case kSelectObject:
            p.select_object(r.u16(6));
            break;
        case kDeleteObject:
            p.delete_object(r.u16(6));
            break;
        case kIntersectClipRect:
            p.intersect_clip(word(r, 3), word(r, 2), word(r, 1), word(r, 0));
            break;
        case kPatBlt:
            if (r.u32(6) == kRopPatternCopy)
                p.fill_rectangle_with_brush(word(r, 5), word(r, 4), word(r, 5) + word(r, 3),
                                            word(r, 4) + word(r, 2));
            break;
        case kStretchDib:
            if (r.u16(10) == 0)  // colours given as RGB, not palette indices
                stretch_dib(p, r, r.u32(6), word(r, 10), word(r, 9), word(r, 8), word(r, 7), int(word(r, 6)),
                            int(word(r, 5)), int(word(r, 4)), int(word(r, 3)), 28);
            break;
        case kDibStretchBlt:
        case kDibBitBlt: {
            // Without a bitmap the record is a brush fill with one reserved word more.
            const bool stretch = function == kDibStretchBlt;
            const std::uint32_t rop = r.u32(6);
            if (r.size() == 2 * std::size_t((function >> 8) + 3)) {
                if (rop == kRopPatternCopy) {
                    const int d = stretch ? 7 : 5;  // parameter of the destination height
                    p.fill_rectangle_with_brush(word(r, d + 3), word(r, d + 2),
                                                word(r, d + 3) + word(r, d + 1), word(r, d + 2) + word(r, d));
                }
                break;
            }
            if (stretch)
                stretch_dib(p, r, rop, word(r, 9), word(r, 8), word(r, 7), word(r, 6), int(word(r, 5)),
                            int(word(r, 4)), int(word(r, 3)), int(word(r, 2)), 26);
            else
                stretch_dib(p, r, rop, word(r, 7), word(r, 6), word(r, 5), word(r, 4), int(word(r, 3)),
                            int(word(r, 2)), int(word(r, 5)), int(word(r, 4)), 22);
            break;
        }
        default:
            break;  // text, palettes, regions and the rest are not drawn
    }
}

// Walks the records from `at`; calls visit(function, record) until the end
// record. False when a record is malformed or runs past the file.
template <typename Visit>
bool walk_records(const RecordView& file, std::size_t at, Visit visit)
{
    for (std::uint32_t count = 0; at < file.size(); ++count) {
        const std::uint32_t words = file.u32(at);
        const std::uint16_t function = file.u16(at + 4);
        if (count >= kMaxMetafileRecords || words < 3 || words > (file.size() - at) / 2) return false;
        if (function == kEof) return true;
        if (!visit(function, RecordView(file.data() + at, std::size_t{words} * 2))) return true;
        at += std::size_t{words} * 2;
    }
    return true;
}

}  // namespace

std::uint8_t* render_wmf(const std::uint8_t* data, std::size_t size, int width, int height,
                         std::uint32_t background, int* outWidth, int* outHeight)
{
    const RecordView file(data, size);
    const bool placeable = file.u32(0) == kPlaceableKey;
    const std::size_t headerAt = placeable ? 22 : 0;
    const std::uint16_t type = file.u16(headerAt), headerWords = file.u16(headerAt + 2);
    if (!file.has(headerAt, 18) || (type != 1 && type != 2) || headerWords != 9) return nullptr;
    const std::size_t recordsAt = headerAt + 18;
    MetaFrame frame;
    double unitsPerInch = 96;
    if (placeable) {
        const double l = file.s16(6), t = file.s16(8);
        frame = MetaFrame{l, t, file.s16(10) - l, file.s16(12) - t};
        unitsPerInch = file.u16(14) ? file.u16(14) : 1440;
    } else {
        // The first window origin and extent the records set.
        bool haveExtent = false;
        const bool whole = walk_records(file, recordsAt, [&](std::uint16_t f, const RecordView& r) {
            if (f == kSetWindowOrg) frame.left = word(r, 1), frame.top = word(r, 0);
            if (f == kSetWindowExt) frame.width = word(r, 1), frame.height = word(r, 0), haveExtent = true;
            return !haveExtent;
        });
        if (!whole || !haveExtent) return nullptr;
    }
    // A window may run right to left or bottom to top: the frame is its box.
    if (frame.width < 0) frame.left += frame.width, frame.width = -frame.width;
    if (frame.height < 0) frame.top += frame.height, frame.height = -frame.height;
    if (!(frame.width > 0 && frame.height > 0)) return nullptr;
    if (!metafile_output_size(frame.width * 96 / unitsPerInch, frame.height * 96 / unitsPerInch, &width,
                              &height))
        return nullptr;
    MetafilePainter painter;
    if (!painter.begin(width, height, background, frame, 1, 1, file.u16(headerAt + 10))) return nullptr;
    MetaState& s = painter.state();
    s.mapMode = kMapAnisotropic;
    s.windowOrgX = s.viewportOrgX = frame.left;
    s.windowOrgY = s.viewportOrgY = frame.top;
    s.windowExtX = s.viewportExtX = frame.width;
    s.windowExtY = s.viewportExtY = frame.height;
    const bool whole = walk_records(file, recordsAt, [&](std::uint16_t f, const RecordView& r) {
        play(painter, f, r);
        return true;
    });
    if (!whole) return nullptr;
    std::uint8_t* block = painter.finish();
    if (block) *outWidth = width, *outHeight = height;
    return block;
}

}  // namespace mve::il
