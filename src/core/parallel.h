// Row loops that run on the OpenMP workers when the work is large enough.
// The split is static and every row is written by one thread, so results
// never depend on the number of threads.
#pragma once

namespace mve {

// Whole-plane loops go parallel above this many pixels.
constexpr long kParallelPixels = 1000;
// Dab and blend-buffer loops go parallel above this many rows.
constexpr int kParallelRows = 35;

inline bool plane_loop_is_large(long width, long height)
{
    return width * height > kParallelPixels;
}

// Calls body(y) for y in [y0, y1), on the workers when `parallel` is true.
// The body must not throw.
template <class F>
void for_each_row(int y0, int y1, bool parallel, F&& body)
{
#pragma omp parallel for schedule(static) if (parallel)
    for (int y = y0; y < y1; ++y) body(y);
}

// As for_each_row, for rows whose cost varies a lot (the view renderer's
// rows cross more or fewer layers' paint): workers take small blocks of rows
// as they finish, so one worker is not left with all the heavy rows.
template <class F>
void for_each_row_balanced(int y0, int y1, bool parallel, F&& body)
{
#pragma omp parallel for schedule(dynamic, 8) if (parallel)
    for (int y = y0; y < y1; ++y) body(y);
}

// The common case of a whole-plane loop of width x rows pixels.
template <class F>
void for_each_plane_row(int width, int rows, F&& body)
{
    for_each_row(0, rows, plane_loop_is_large(width, rows), static_cast<F&&>(body));
}

}  // namespace mve
