// The zoom selection and the position tables of the view renderer.
#include "view/view_geometry.h"

#include <algorithm>
#include <cmath>

#include "core/clip.h"

namespace mve {

namespace {

// Output count from a first position and an inclusive last position, at
// most `limit` (the view size) and never negative.
int clipped_count(long long first, long long last, int limit) noexcept
{
    const long long count = last - first + 1;
    return static_cast<int>(std::clamp<long long>(count, 0, std::max(limit, 0)));
}

// trunc(v) for the last output position of the reduced view; a value beyond
// any int (a tiny step) is held at a bound so the conversion stays defined.
long long truncate_position(float v) noexcept
{
    if (!(v > -2e9f)) return -2000000000LL;
    if (v > 2e9f) return 2000000000LL;
    return static_cast<long long>(v);
}

// Positions of the reduced view along one axis: the source starts at
// `start`; after each output position it advances by trunc(a), where a
// accumulates the step and keeps its fractional part. Stops early (shrinking
// `count`) if a position would leave the canvas.
std::vector<int> accumulate_positions(int start, float step, int& count, int canvasSize)
{
    std::vector<int> positions;
    positions.reserve(static_cast<std::size_t>(count));
    long long position = start;
    float a = 0.0f;
    for (int i = 0; i < count; ++i) {
        if (position >= canvasSize) {
            count = i;
            break;
        }
        positions.push_back(static_cast<int>(position));
        a += step;
        const float whole = std::trunc(a);
        position += static_cast<long long>(whole);
        a -= whole;
    }
    return positions;
}

void one_to_one(ViewGeometry& g, const CanvasRect& r, int viewWidth, int viewHeight)
{
    g.outWidth = clipped_count(r.x, static_cast<long long>(r.x) + r.w - 1, viewWidth);
    g.outHeight = clipped_count(r.y, static_cast<long long>(r.y) + r.h - 1, viewHeight);
    for (int j = 0; j < g.outWidth; ++j) {
        g.sampleColumn.push_back(r.x + j);
        g.outSample.push_back(j);
        g.checkerColumn.push_back(r.x + j);
        g.maskColumn.push_back(r.x + j);
    }
    for (int i = 0; i < g.outHeight; ++i) g.rows.push_back({r.y + i, r.y + i, i, i + 1});
    g.samplesInOrder = g.maskInOrder = true;
}

void reduced(ViewGeometry& g, const CanvasRect& r, float step, int viewWidth, int viewHeight, int canvasWidth,
             int canvasHeight)
{
    const float inverse = 1.0f / step;
    const long long lastColumn =
        truncate_position(static_cast<float>(r.x) + static_cast<float>(r.w) * inverse - 1.0f);
    const long long lastRow =
        truncate_position(static_cast<float>(r.y) + static_cast<float>(r.h) * inverse - 1.0f);
    g.outWidth = clipped_count(r.x, lastColumn, viewWidth);
    g.outHeight = clipped_count(r.y, lastRow, viewHeight);
    g.sampleColumn = accumulate_positions(r.x, step, g.outWidth, canvasWidth);
    for (int j = 0; j < g.outWidth; ++j) {
        g.outSample.push_back(j);
        g.checkerColumn.push_back(g.sampleColumn[j]);
        g.maskColumn.push_back(g.sampleColumn[j]);
    }
    g.samplesInOrder = true;
    const std::vector<int> canvasRows = accumulate_positions(r.y, step, g.outHeight, canvasHeight);
    for (int i = 0; i < g.outHeight; ++i) {
        // The Mask row is taken directly from the row number, not from the
        // accumulator, so the two can differ by one at some fractional steps.
        const long long maskRow = truncate_position(static_cast<float>(r.y) + static_cast<float>(i) * step);
        const int m = (maskRow >= 0 && maskRow < canvasHeight) ? static_cast<int>(maskRow) : -1;
        g.rows.push_back({canvasRows[i], m, i, i + 1});
    }
}

void magnified(ViewGeometry& g, const CanvasRect& r, int factor, int viewWidth, int viewHeight)
{
    g.outWidth = clipped_count(r.x, r.x + static_cast<long long>(factor) * r.w - 1, viewWidth);
    g.outHeight = clipped_count(r.y, r.y + static_cast<long long>(factor) * r.h - 1, viewHeight);
    if (g.outWidth == 0 || g.outHeight == 0) return;  // also covers factor <= 0
    const long long f = factor;
    for (long long s = 0; s * f < g.outWidth; ++s) g.sampleColumn.push_back(r.x + static_cast<int>(s));
    for (int j = 0; j < g.outWidth; ++j) {
        const int sample = static_cast<int>(j / f);
        g.outSample.push_back(sample);
        g.checkerColumn.push_back(r.x + j);  // checker cells count output columns
        g.maskColumn.push_back(r.x + sample);
    }
    for (long long row = 0; row * f < g.outHeight; ++row) {
        const int canvasRow = r.y + static_cast<int>(row);
        const int first = static_cast<int>(row * f);
        const int end = static_cast<int>(std::min<long long>((row + 1) * f, g.outHeight));
        g.rows.push_back({canvasRow, canvasRow, first, end});
    }
}

}  // namespace

CanvasRect clip_to_canvas(int x, int y, int w, int h, int canvasWidth, int canvasHeight) noexcept
{
    // A negative x or y only moves the start; the width keeps its value and
    // is cut at the canvas edge.
    const ClipRect c = clip_rect(std::max(x, 0), std::max(y, 0), w, h, canvasWidth, canvasHeight);
    CanvasRect r;
    r.x = c.x0, r.y = c.y0, r.w = c.width(), r.h = c.height();
    return r;
}

ViewGeometry build_view_geometry(const CanvasRect& r, int scaleFactor, float scaleStep, int viewWidth,
                                 int viewHeight, int canvasWidth, int canvasHeight)
{
    ViewGeometry g;
    if (r.w <= 0 || r.h <= 0 || viewWidth <= 0 || viewHeight <= 0) return g;
    const float factor = static_cast<float>(scaleFactor);
    if (scaleStep == factor) {
        g.zoom = ViewZoom::kOneToOne;
        one_to_one(g, r, viewWidth, viewHeight);
    } else if (scaleStep > factor) {
        g.zoom = ViewZoom::kReduced;
        reduced(g, r, scaleStep, viewWidth, viewHeight, canvasWidth, canvasHeight);
    } else {
        g.zoom = ViewZoom::kMagnified;
        magnified(g, r, scaleFactor, viewWidth, viewHeight);
    }
    if (g.empty()) {
        g.outWidth = g.outHeight = 0;
        g.rows.clear();
    }
    return g;
}

}  // namespace mve
