// Where the view renderer samples the canvas and where each sample lands in
// the output: the zoom selection, the clipping and the position tables of the
// 1:1, reduced and magnified views.
//
// The tables are built once per call on the calling thread, walking the
// fractional accumulators exactly as a single-threaded renderer would, so
// that rows rendered on any number of workers give the same bytes.
#pragma once

#include <vector>

namespace mve {

enum class ViewZoom { kOneToOne, kReduced, kMagnified };

// A canvas rectangle clipped to the canvas: x, y at least 0, x + w and
// y + h at most the canvas size (w or h may end up 0 or less: nothing to do).
struct CanvasRect {
    int x = 0, y = 0, w = 0, h = 0;
};
CanvasRect clip_to_canvas(int x, int y, int w, int h, int canvasWidth, int canvasHeight) noexcept;

// One canvas row to composite and the output rows that show it.
struct ViewRow {
    int canvasRow = 0;  // the row composited (also the checker cell row)
    int maskRow = 0;    // the Mask row for the tint; -1 when outside the Mask
    int outFirst = 0;   // output rows [outFirst, outEnd) show it
    int outEnd = 0;
};

struct ViewGeometry {
    ViewZoom zoom = ViewZoom::kOneToOne;
    int outWidth = 0;   // output columns written
    int outHeight = 0;  // output rows written
    // Canvas column of each composited sample of a row.
    std::vector<int> sampleColumn;
    // Per output column: the sample it shows, the checker cell column and the
    // Mask column.
    std::vector<int> outSample;
    std::vector<int> checkerColumn;
    std::vector<int> maskColumn;
    std::vector<ViewRow> rows;
    // outSample[j] == j (1:1 and reduced views), and maskColumn[j] ==
    // maskColumn[0] + j (1:1 view): the output stage can then take pixels
    // four at a time.
    bool samplesInOrder = false;
    bool maskInOrder = false;

    bool empty() const noexcept { return outWidth <= 0 || outHeight <= 0; }
};

// Builds the tables for the clipped rectangle `r` under the given zoom
// settings, never more than viewWidth x viewHeight output pixels and never a
// sample outside the canvas.
ViewGeometry build_view_geometry(const CanvasRect& r, int scaleFactor, float scaleStep, int viewWidth,
                                 int viewHeight, int canvasWidth, int canvasHeight);

}  // namespace mve
