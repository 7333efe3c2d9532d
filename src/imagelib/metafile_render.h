// The playback device of the metafile readers: the drawing state (mapping,
// pen, brush, fill mode, current position), the object table and the saved
// states, drawing onto a cairo raster. The WMF and EMF readers decode their
// records into these calls; coordinates are logical units of the file.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mve::il {

// Raster operations of the block copies: the bitmap as it is, the brush.
constexpr std::uint32_t kRopSourceCopy = 0x00CC0020u;
constexpr std::uint32_t kRopPatternCopy = 0x00F00021u;

struct MetaPoint {
    double x = 0, y = 0;
};

struct MetaPen {
    bool visible = true;
    double width = 0;          // logical units; 0 draws one output pixel wide
    std::uint32_t colour = 0;  // 0x00BBGGRR
};

struct MetaBrush {
    bool visible = true;
    std::uint32_t colour = 0xFFFFFF;
};

struct MetaFont {
    double height = 0;      // logical units; below 0 the em height, above 0 the cell height, 0 a default
    double escapement = 0;  // tenths of a degree, anticlockwise
    int weight = 400;       // 700 and up draw bold
    bool italic = false;
    std::string face;  // UTF-8; empty asks for the default sans face
};

// Text alignment flags of the files.
constexpr std::uint32_t kTextUpdatePosition = 1, kTextRight = 2, kTextCentre = 6, kTextBottom = 8,
                        kTextBaseline = 24;

struct MetaObject {
    enum Kind { kEmpty, kPen, kBrush, kFont, kOther } kind = kEmpty;
    MetaPen pen;
    MetaBrush brush;
    MetaFont font;
};

// Map modes as the files number them.
enum MetaMapMode : int {
    kMapText = 1,
    kMapLoMetric = 2,
    kMapHiMetric = 3,
    kMapLoEnglish = 4,
    kMapHiEnglish = 5,
    kMapTwips = 6,
    kMapIsotropic = 7,
    kMapAnisotropic = 8,
};

struct MetaState {
    int mapMode = kMapText;
    double windowOrgX = 0, windowOrgY = 0, windowExtX = 1, windowExtY = 1;
    double viewportOrgX = 0, viewportOrgY = 0, viewportExtX = 1, viewportExtY = 1;
    double world[6] = {1, 0, 0, 1, 0, 0};  // eM11, eM12, eM21, eM22, eDx, eDy
    MetaPen pen;
    MetaBrush brush;
    bool winding = false;  // polygon fill mode: alternate (even-odd) or winding
    MetaPoint position;
    MetaFont font;
    std::uint32_t textColour = 0;
    std::uint32_t textAlign = 0;  // kText* flags; 0 is left, top
};

// The device rectangle the picture occupies (device units), mapped onto the output.
struct MetaFrame {
    double left = 0, top = 0, width = 0, height = 0;
};

class MetafilePainter {
public:
    MetafilePainter() = default;
    ~MetafilePainter();
    MetafilePainter(const MetafilePainter&) = delete;
    MetafilePainter& operator=(const MetafilePainter&) = delete;

    // Starts an output of width x height pixels filled with the background;
    // the frame is fitted into it keeping its aspect ratio. Device pixels per
    // millimetre serve the metric map modes. False when the raster cannot be made.
    bool begin(int width, int height, std::uint32_t background, const MetaFrame& frame, double pixelsPerMmX,
               double pixelsPerMmY, int objectSlots);
    // The finished picture as an RGBA32 block from allocate_block (alpha 255).
    std::uint8_t* finish() noexcept;

    MetaState& state() { return state_; }
    void save_state();
    void restore_state(int relative);  // negative: that many levels back; positive: that saved level

    // Object table: EMF names the slot, WMF takes the lowest free one.
    void set_object(std::size_t slot, const MetaObject& object);
    void add_object(const MetaObject& object);
    void select_object(std::size_t slot);
    void select_stock_object(std::uint32_t id);
    void delete_object(std::size_t slot);

    void move_to(MetaPoint p);
    void line_to(MetaPoint p);
    void polyline(const std::vector<MetaPoint>& points, bool fromPosition);
    void polygons(const std::vector<MetaPoint>& points, const std::vector<std::uint32_t>& counts);
    void bezier(const std::vector<MetaPoint>& points, bool fromPosition);
    void rectangle(double l, double t, double r, double b, double cornerW = 0, double cornerH = 0);
    void ellipse(double l, double t, double r, double b);
    enum class ArcKind { kArc, kChord, kPie };
    void arc(ArcKind kind, double l, double t, double r, double b, MetaPoint start, MetaPoint end);
    void fill_rectangle_with_brush(double l, double t, double r, double b);

    // Paths: between begin_path and end_path the shapes only collect outlines.
    void begin_path();
    void end_path() { recording_ = false; }
    void close_figure();
    void abort_path();
    void paint_path(bool fill, bool stroke);

    void intersect_clip(double l, double t, double r, double b);
    void reset_clip();

    // UTF-8 text with the selected font, its reference point at `at` (or the
    // current position, which it then advances, under kTextUpdatePosition).
    void text(MetaPoint at, std::string utf8);

    // A DIB (BITMAPINFO header and colour table, then the bits) stretched
    // from source rectangle (sx, sy, sw, sh) onto the logical rectangle.
    void draw_dib(double x, double y, double w, double h, int sx, int sy, int sw, int sh,
                  const std::uint8_t* info, std::size_t infoSize, const std::uint8_t* bits,
                  std::size_t bitsSize);

private:
    bool use_logical_matrix();
    bool within_reach(const MetaPoint* points, std::size_t count) const;
    bool box_within_reach(double l, double t, double r, double b) const;
    void start_figure();
    bool start_open_figure(const std::vector<MetaPoint>& points, bool fromPosition);
    void finish_shape(bool closed);
    void stroke_current(bool preserve);
    void fill_current(bool preserve);
    double output_scale() const;

    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
    double scale_ = 1, offsetX_ = 0, offsetY_ = 0;
    double pixelsPerMmX_ = 1, pixelsPerMmY_ = 1;
    MetaFrame frame_;
    MetaState state_;
    std::vector<MetaState> saved_;
    std::vector<MetaObject> objects_;
    bool recording_ = false;
};

}  // namespace mve::il
