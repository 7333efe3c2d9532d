// The metafile playback device on cairo. The cairo matrix is the whole
// logical-to-output mapping (world transform, window to viewport, frame to
// output), so shapes are built in logical units; pens are stroked in output
// pixels, one pixel at least, with round joins and caps.
#include "imagelib/metafile_render.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "imagelib/block_placement.h"
#include "imagelib/library.h"
#include "imagelib/metafile.h"
#include "imagelib/metafile_bytes.h"
#include "imagelib/reading.h"

namespace mve::il {

namespace {

void set_colour(cairo_t* cr, std::uint32_t c)
{
    cairo_set_source_rgb(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0);
}

// Window-to-viewport scale of the fixed map modes: device pixels per logical unit.
void map_mode_scale(const MetaState& s, double ppmmX, double ppmmY, double* sx, double* sy)
{
    double mm = 0;  // millimetres per logical unit of a metric or English mode (y grows upwards)
    switch (s.mapMode) {
        case kMapLoMetric:
            mm = 0.1;
            break;
        case kMapHiMetric:
            mm = 0.01;
            break;
        case kMapLoEnglish:
            mm = 0.254;
            break;
        case kMapHiEnglish:
            mm = 0.0254;
            break;
        case kMapTwips:
            mm = 25.4 / 1440;
            break;
        case kMapIsotropic:
        case kMapAnisotropic:
            *sx = s.viewportExtX / (s.windowExtX != 0 ? s.windowExtX : 1);
            *sy = s.viewportExtY / (s.windowExtY != 0 ? s.windowExtY : 1);
            if (s.mapMode == kMapIsotropic) {
                const double m = std::min(std::fabs(*sx), std::fabs(*sy));
                *sx = std::copysign(m, *sx);
                *sy = std::copysign(m, *sy);
            }
            return;
        default:
            *sx = *sy = 1;
            return;
    }
    *sx = ppmmX * mm;
    *sy = -ppmmY * mm;
}

// The DIB as a BMP file, decoded by the BMP reader into an opaque cairo image.
cairo_surface_t* decode_dib(const std::uint8_t* info, std::size_t infoSize, const std::uint8_t* bits,
                            std::size_t bitsSize)
{
    const std::size_t total = 14 + infoSize + bitsSize;
    if (infoSize < 12 || total > 0xFFFFFFFFu) return nullptr;
    std::vector<std::uint8_t> file(total);
    const std::uint32_t size = static_cast<std::uint32_t>(total),
                        offset = static_cast<std::uint32_t>(14 + infoSize);
    const std::uint8_t head[14] = {'B',
                                   'M',
                                   std::uint8_t(size),
                                   std::uint8_t(size >> 8),
                                   std::uint8_t(size >> 16),
                                   std::uint8_t(size >> 24),
                                   0,
                                   0,
                                   0,
                                   0,
                                   std::uint8_t(offset),
                                   std::uint8_t(offset >> 8),
                                   std::uint8_t(offset >> 16),
                                   std::uint8_t(offset >> 24)};
    std::memcpy(file.data(), head, 14);
    std::memcpy(file.data() + 14, info, infoSize);
    if (bitsSize) std::memcpy(file.data() + offset, bits, bitsSize);
    int w = 0, h = 0;
    std::uint8_t* rgba = nullptr;
    {
        const PlaceNextBlock ownStorage(nullptr);  // never the output picture's placed storage
        rgba = decode_magick(file.data(), file.size(), nullptr, &w, &h);
    }
    if (!rgba) return nullptr;
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
        cairo_surface_flush(image);
        std::uint8_t* data = cairo_image_surface_get_data(image);
        const int stride = cairo_image_surface_get_stride(image);
        for (int y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
            const std::uint8_t* p = rgba + static_cast<std::size_t>(y) * w * 4;
            for (int x = 0; x < w; ++x, p += 4) row[x] = (p[0] << 16u) | (p[1] << 8u) | p[2];
        }
        cairo_surface_mark_dirty(image);
    }
    release_block(rgba);
    return image;
}

}  // namespace

MetafilePainter::~MetafilePainter()
{
    if (cr_) cairo_destroy(cr_);
    if (surface_) cairo_surface_destroy(surface_);
}

bool MetafilePainter::begin(int width, int height, std::uint32_t background, const MetaFrame& frame,
                            double pixelsPerMmX, double pixelsPerMmY, int objectSlots)
{
    if (!acceptable_size(width, height) || !(frame.width > 0) || !(frame.height > 0)) return false;
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) return false;
    cr_ = cairo_create(surface_);
    set_colour(cr_, background);
    cairo_paint(cr_);
    scale_ = std::min(width / frame.width, height / frame.height);
    offsetX_ = (width - frame.width * scale_) / 2;
    offsetY_ = (height - frame.height * scale_) / 2;
    frame_ = frame;
    pixelsPerMmX_ = pixelsPerMmX;
    pixelsPerMmY_ = pixelsPerMmY;
    objects_.assign(static_cast<std::size_t>(std::clamp(objectSlots, 0, kMaxMetafileObjects)), MetaObject{});
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
    return cairo_status(cr_) == CAIRO_STATUS_SUCCESS;
}

std::uint8_t* MetafilePainter::finish() noexcept
{
    if (!surface_) return nullptr;
    cairo_surface_flush(surface_);
    const int w = cairo_image_surface_get_width(surface_), h = cairo_image_surface_get_height(surface_);
    std::uint8_t* block = allocate_block(w, h);
    if (!block) return nullptr;
    const std::uint8_t* data = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    std::uint8_t* out = block;
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
        for (int x = 0; x < w; ++x, out += 4) {
            out[0] = static_cast<std::uint8_t>(row[x] >> 16);
            out[1] = static_cast<std::uint8_t>(row[x] >> 8);
            out[2] = static_cast<std::uint8_t>(row[x]);
            out[3] = 255;
        }
    }
    return block;
}

// Sets the logical-to-output matrix; false when it is degenerate (nothing is drawn then).
bool MetafilePainter::use_logical_matrix()
{
    const MetaState& s = state_;
    double sx = 1, sy = 1;
    map_mode_scale(s, pixelsPerMmX_, pixelsPerMmY_, &sx, &sy);
    cairo_matrix_t world, page, output, m;
    cairo_matrix_init(&world, s.world[0], s.world[1], s.world[2], s.world[3], s.world[4], s.world[5]);
    cairo_matrix_init(&page, sx, 0, 0, sy, s.viewportOrgX - s.windowOrgX * sx,
                      s.viewportOrgY - s.windowOrgY * sy);
    cairo_matrix_init(&output, scale_, 0, 0, scale_, offsetX_ - frame_.left * scale_,
                      offsetY_ - frame_.top * scale_);
    cairo_matrix_multiply(&m, &world, &page);
    cairo_matrix_multiply(&m, &m, &output);
    const double det = m.xx * m.yy - m.xy * m.yx;
    // Beyond this the coordinates leave cairo's fixed-point range anyway.
    constexpr double kLimit = 1e7;
    if (!std::isfinite(det) || std::fabs(det) < 1e-12 || std::fabs(m.x0) > kLimit || std::fabs(m.y0) > kLimit)
        return false;
    cairo_set_matrix(cr_, &m);
    return true;
}

// Points land within this many output pixels of the origin, or their shape is
// not drawn: cairo's fixed-point coordinates end at 2^23, and the number of
// segments of an arc or curve grows with its size on the output.
constexpr double kReach = 1 << 22;

bool MetafilePainter::within_reach(const MetaPoint* points, std::size_t count) const
{
    for (std::size_t i = 0; i < count; ++i) {
        double x = points[i].x, y = points[i].y;
        cairo_user_to_device(cr_, &x, &y);
        if (!(std::fabs(x) <= kReach && std::fabs(y) <= kReach)) return false;
    }
    return true;
}

bool MetafilePainter::box_within_reach(double l, double t, double r, double b) const
{
    const MetaPoint corners[4] = {{l, t}, {r, t}, {r, b}, {l, b}};
    return within_reach(corners, 4);
}

double MetafilePainter::output_scale() const
{
    cairo_matrix_t m;
    cairo_get_matrix(cr_, &m);
    return std::sqrt(std::fabs(m.xx * m.yy - m.xy * m.yx));
}

void MetafilePainter::stroke_current(bool preserve)
{
    const double width = std::clamp(state_.pen.width * output_scale(), 1.0, kReach);
    cairo_save(cr_);
    cairo_identity_matrix(cr_);
    cairo_set_line_width(cr_, width);
    set_colour(cr_, state_.pen.colour);
    preserve ? cairo_stroke_preserve(cr_) : cairo_stroke(cr_);
    cairo_restore(cr_);
}

void MetafilePainter::fill_current(bool preserve)
{
    cairo_set_fill_rule(cr_, state_.winding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
    set_colour(cr_, state_.brush.colour);
    preserve ? cairo_fill_preserve(cr_) : cairo_fill(cr_);
}

// Outside a path bracket a shape is drawn at once: filled with the brush when
// closed, outlined with the pen.
void MetafilePainter::finish_shape(bool closed)
{
    if (recording_) return;
    if (closed && state_.brush.visible) fill_current(true);
    if (state_.pen.visible) stroke_current(true);
    cairo_new_path(cr_);
}

// A shape starts a fresh path outside a bracket and adds to it inside one.
void MetafilePainter::start_figure()
{
    if (!recording_) cairo_new_path(cr_);
}

void MetafilePainter::save_state()
{
    if (saved_.size() >= static_cast<std::size_t>(kMaxMetafileSavedStates)) return;
    saved_.push_back(state_);
    cairo_save(cr_);
}

void MetafilePainter::restore_state(int relative)
{
    const long long depth = static_cast<long long>(saved_.size());
    const long long count = relative < 0 ? -static_cast<long long>(relative) : depth - relative + 1;
    if (count <= 0 || count > depth) return;
    for (long long i = 0; i < count; ++i) {
        state_ = saved_.back();
        saved_.pop_back();
        cairo_restore(cr_);
    }
}

void MetafilePainter::set_object(std::size_t slot, const MetaObject& object)
{
    if (slot < objects_.size()) objects_[slot] = object;
}

void MetafilePainter::add_object(const MetaObject& object)
{
    for (MetaObject& o : objects_) {
        if (o.kind == MetaObject::kEmpty) {
            o = object;
            return;
        }
    }
    // A table smaller than the file's objects: grow it within the cap.
    if (objects_.size() < static_cast<std::size_t>(kMaxMetafileObjects)) objects_.push_back(object);
}

void MetafilePainter::select_object(std::size_t slot)
{
    if (slot >= objects_.size()) return;
    const MetaObject& o = objects_[slot];
    if (o.kind == MetaObject::kPen) state_.pen = o.pen;
    if (o.kind == MetaObject::kBrush) state_.brush = o.brush;
    if (o.kind == MetaObject::kFont) state_.font = o.font;
}

void MetafilePainter::select_stock_object(std::uint32_t id)
{
    static constexpr std::uint32_t kBrushColours[5] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
    if (id <= 4) state_.brush = MetaBrush{true, kBrushColours[id]};
    if (id == 5) state_.brush.visible = false;
    if (id == 6 || id == 7) state_.pen = MetaPen{true, 0, id == 6 ? 0xFFFFFFu : 0u};
    if (id == 8) state_.pen.visible = false;
}

void MetafilePainter::delete_object(std::size_t slot)
{
    if (slot < objects_.size()) objects_[slot] = MetaObject{};
}

void MetafilePainter::move_to(MetaPoint p)
{
    state_.position = p;
    if (recording_ && use_logical_matrix() && within_reach(&p, 1)) cairo_move_to(cr_, p.x, p.y);
}

void MetafilePainter::line_to(MetaPoint p)
{
    polyline({p}, true);
}

// Starts an open figure at the first point, or continues from the current
// position; false when the points cannot be drawn.
bool MetafilePainter::start_open_figure(const std::vector<MetaPoint>& points, bool fromPosition)
{
    if (points.empty() || !use_logical_matrix() || !within_reach(points.data(), points.size()) ||
        (fromPosition && !within_reach(&state_.position, 1)))
        return false;
    start_figure();
    const MetaPoint first = fromPosition ? state_.position : points[0];
    if (!fromPosition || !cairo_has_current_point(cr_)) cairo_move_to(cr_, first.x, first.y);
    return true;
}

void MetafilePainter::polyline(const std::vector<MetaPoint>& points, bool fromPosition)
{
    if (!start_open_figure(points, fromPosition)) return;
    for (std::size_t i = fromPosition ? 0 : 1; i < points.size(); ++i)
        cairo_line_to(cr_, points[i].x, points[i].y);
    if (fromPosition) state_.position = points.back();
    finish_shape(false);
}

void MetafilePainter::bezier(const std::vector<MetaPoint>& points, bool fromPosition)
{
    if (!start_open_figure(points, fromPosition)) return;
    std::size_t i = fromPosition ? 0 : 1;
    for (; i + 3 <= points.size(); i += 3)
        cairo_curve_to(cr_, points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, points[i + 2].x,
                       points[i + 2].y);
    if (fromPosition && i > 0) state_.position = points[i - 1];
    finish_shape(false);
}

void MetafilePainter::polygons(const std::vector<MetaPoint>& points, const std::vector<std::uint32_t>& counts)
{
    if (!use_logical_matrix() || !within_reach(points.data(), points.size())) return;
    start_figure();
    std::size_t at = 0;
    for (std::uint32_t n : counts) {
        if (n == 0 || n > points.size() - at) break;
        cairo_move_to(cr_, points[at].x, points[at].y);
        for (std::size_t i = 1; i < n; ++i) cairo_line_to(cr_, points[at + i].x, points[at + i].y);
        cairo_close_path(cr_);
        at += n;
    }
    finish_shape(true);
}

void MetafilePainter::rectangle(double l, double t, double r, double b, double cornerW, double cornerH)
{
    if (!use_logical_matrix() || !box_within_reach(l, t, r, b)) return;
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    start_figure();
    const double rx = std::min(std::fabs(cornerW) / 2, (r - l) / 2),
                 ry = std::min(std::fabs(cornerH) / 2, (b - t) / 2);
    if (rx > 0 && ry > 0) {
        // Quarter ellipses at the corners, clockwise from the top right.
        constexpr double kQuarter = std::numbers::pi / 2;
        const MetaPoint centres[4] = {{r - rx, t + ry}, {r - rx, b - ry}, {l + rx, b - ry}, {l + rx, t + ry}};
        cairo_new_sub_path(cr_);
        for (int i = 0; i < 4; ++i) {
            cairo_save(cr_);
            cairo_translate(cr_, centres[i].x, centres[i].y);
            cairo_scale(cr_, rx, ry);
            cairo_arc(cr_, 0, 0, 1, (i - 1) * kQuarter, i * kQuarter);
            cairo_restore(cr_);
        }
        cairo_close_path(cr_);
    } else {
        cairo_rectangle(cr_, l, t, r - l, b - t);
    }
    finish_shape(true);
}

void MetafilePainter::ellipse(double l, double t, double r, double b)
{
    const double rx = std::fabs(r - l) / 2, ry = std::fabs(b - t) / 2;
    if (rx <= 0 || ry <= 0 || !use_logical_matrix() || !box_within_reach(l, t, r, b)) return;
    start_figure();
    cairo_new_sub_path(cr_);
    cairo_save(cr_);
    cairo_translate(cr_, (l + r) / 2, (t + b) / 2);
    cairo_scale(cr_, rx, ry);
    cairo_arc(cr_, 0, 0, 1, 0, 2 * std::numbers::pi);
    cairo_restore(cr_);
    cairo_close_path(cr_);
    finish_shape(true);
}

// Arcs run counter-clockwise on the page from the ray through `start` to the
// ray through `end`; equal rays make the whole ellipse.
void MetafilePainter::arc(ArcKind kind, double l, double t, double r, double b, MetaPoint start,
                          MetaPoint end)
{
    const double rx = std::fabs(r - l) / 2, ry = std::fabs(b - t) / 2;
    if (rx <= 0 || ry <= 0 || !use_logical_matrix() || !box_within_reach(l, t, r, b)) return;
    const double cx = (l + r) / 2, cy = (t + b) / 2;
    const double a1 = std::atan2((start.y - cy) / ry, (start.x - cx) / rx);
    double a2 = std::atan2((end.y - cy) / ry, (end.x - cx) / rx);
    if (a2 == a1) a2 -= 2 * std::numbers::pi;
    start_figure();
    if (kind == ArcKind::kPie)
        cairo_move_to(cr_, cx, cy);
    else
        cairo_new_sub_path(cr_);
    cairo_save(cr_);
    cairo_translate(cr_, cx, cy);
    cairo_scale(cr_, rx, ry);
    cairo_arc_negative(cr_, 0, 0, 1, a1, a2);
    cairo_restore(cr_);
    if (kind != ArcKind::kArc) cairo_close_path(cr_);
    finish_shape(kind != ArcKind::kArc);
}

void MetafilePainter::fill_rectangle_with_brush(double l, double t, double r, double b)
{
    if (recording_ || !state_.brush.visible || !use_logical_matrix() || !box_within_reach(l, t, r, b)) return;
    cairo_new_path(cr_);
    cairo_rectangle(cr_, l, t, r - l, b - t);
    fill_current(false);
}

void MetafilePainter::begin_path()
{
    cairo_new_path(cr_);
    recording_ = true;
}

void MetafilePainter::close_figure()
{
    if (recording_ && cairo_has_current_point(cr_)) cairo_close_path(cr_);
}

void MetafilePainter::abort_path()
{
    recording_ = false;
    cairo_new_path(cr_);
}

void MetafilePainter::paint_path(bool fill, bool stroke)
{
    recording_ = false;
    if (fill && state_.brush.visible) fill_current(true);
    if (stroke && state_.pen.visible) stroke_current(true);
    cairo_new_path(cr_);
}

void MetafilePainter::intersect_clip(double l, double t, double r, double b)
{
    if (recording_ || !use_logical_matrix() || !box_within_reach(l, t, r, b)) return;
    cairo_new_path(cr_);
    cairo_rectangle(cr_, std::min(l, r), std::min(t, b), std::fabs(r - l), std::fabs(b - t));
    cairo_clip(cr_);
}

void MetafilePainter::reset_clip()
{
    cairo_reset_clip(cr_);
}

// Text is laid out on the output, not in logical units: the reference point
// and the font height go through the mapping, and the glyphs are drawn
// upright (turned by the escapement only), so a map mode whose y axis grows
// upwards does not draw them upside down. Glyphs come from fontconfig's
// match for the face name, without shaping: metafile text is short labels.
void MetafilePainter::text(MetaPoint at, std::string utf8)
{
    // A default font height (logical units) and the largest drawn (output
    // pixels); text records are lines, so longer ones are cut (at a character).
    constexpr double kDefaultHeight = 12, kMaxPixels = 2048;
    constexpr std::size_t kMaxBytes = 4096;
    if (utf8.size() > kMaxBytes) {
        std::size_t end = kMaxBytes;
        while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) --end;
        utf8.resize(end);
    }
    const bool fromPosition = (state_.textAlign & kTextUpdatePosition) != 0;
    const MetaPoint origin = fromPosition ? state_.position : at;
    if (recording_ || utf8.empty() || !use_logical_matrix() || !within_reach(&origin, 1)) return;
    const MetaFont& f = state_.font;
    double x = origin.x, y = origin.y, hx = 0, hy = f.height != 0 ? std::fabs(f.height) : kDefaultHeight;
    cairo_user_to_device(cr_, &x, &y);
    cairo_user_to_device_distance(cr_, &hx, &hy);
    const double pixels = std::hypot(hx, hy);
    if (!(pixels >= 0.5 && pixels <= kMaxPixels)) return;

    cairo_save(cr_);
    cairo_identity_matrix(cr_);
    cairo_select_font_face(cr_, f.face.empty() ? "sans-serif" : f.face.c_str(),
                           f.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           f.weight >= 600 ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr_, pixels);
    cairo_font_extents_t fe;
    cairo_font_extents(cr_, &fe);
    if (f.height > 0 && fe.ascent + fe.descent > 0) {  // a cell height: ascent plus descent
        cairo_set_font_size(cr_, pixels * pixels / (fe.ascent + fe.descent));
        cairo_font_extents(cr_, &fe);
    }
    cairo_text_extents_t te;
    cairo_text_extents(cr_, utf8.c_str(), &te);
    const std::uint32_t horizontal = state_.textAlign & kTextCentre,
                        vertical = state_.textAlign & kTextBaseline;
    const double dx = horizontal == kTextCentre  ? -te.x_advance / 2
                      : horizontal == kTextRight ? -te.x_advance
                                                 : 0;
    const double dy = vertical == kTextBaseline ? 0 : vertical == kTextBottom ? -fe.descent : fe.ascent;
    const double angle = -f.escapement / 10 * std::numbers::pi / 180;  // anticlockwise on a y-down output
    cairo_translate(cr_, x, y);
    cairo_rotate(cr_, angle);
    cairo_move_to(cr_, dx, dy);
    set_colour(cr_, state_.textColour);
    cairo_show_text(cr_, utf8.c_str());
    if (fromPosition && horizontal != kTextCentre) {
        // The position moves past the text (back over it when right-aligned), in logical units.
        double ax = (horizontal == kTextRight ? -1 : 1) * te.x_advance * std::cos(angle);
        double ay = (horizontal == kTextRight ? -1 : 1) * te.x_advance * std::sin(angle);
        cairo_restore(cr_);  // back to the logical matrix
        cairo_device_to_user_distance(cr_, &ax, &ay);
        state_.position = {origin.x + ax, origin.y + ay};
        return;
    }
    cairo_restore(cr_);
}

void MetafilePainter::draw_dib(double x, double y, double w, double h, int sx, int sy, int sw, int sh,
                               const std::uint8_t* info, std::size_t infoSize, const std::uint8_t* bits,
                               std::size_t bitsSize)
{
    if (recording_ || sw <= 0 || sh <= 0 || w == 0 || h == 0 || infoSize < 12) return;
    // Bottom-up DIBs (positive height) count the source rectangle from the bottom row.
    const bool bottomUp = infoSize >= 40 ? RecordView(info, infoSize).s32(8) > 0 : true;
    cairo_surface_t* image = decode_dib(info, infoSize, bits, bitsSize);
    if (!image) return;
    const int imageH = cairo_image_surface_get_height(image);
    const double top = bottomUp ? static_cast<double>(imageH) - sy - sh : sy;  // no int overflow
    if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS && use_logical_matrix() &&
        box_within_reach(x, y, x + w, y + h)) {
        cairo_save(cr_);
        cairo_translate(cr_, x, y);
        cairo_scale(cr_, w / sw, h / sh);
        cairo_new_path(cr_);
        cairo_rectangle(cr_, 0, 0, sw, sh);
        cairo_set_source_surface(cr_, image, -static_cast<double>(sx), -top);
        cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
        // Enlarged bitmaps repeat their pixels, as the playing program's
        // default stretch mode does; reduced ones are smoothed.
        if (output_scale() >= 1) cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
        cairo_fill(cr_);
        cairo_restore(cr_);
    }
    cairo_surface_destroy(image);
}

}  // namespace mve::il
