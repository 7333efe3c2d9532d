// The writer object behind the line-by-line interface of writing.h.
#pragma once

#include <cstdint>

#include "imagelib/writing.h"

namespace mve::il {

struct LineWriter {
    virtual ~LineWriter() = default;
    // One line of width pixels; false on a codec error.
    virtual bool line(const std::uint8_t* pixels) = 0;
    // Completes the file after the last line.
    virtual bool finish() = 0;

    int width = 0;
    int height = 0;
    int written = 0;
    bool failed = false;
};

// Writes every row of a picture through a writer, in the writer's order, and
// destroys it. Non-zero on success.
int write_all_lines(LineWriter* writer, const std::uint8_t* pixels, int rowBytes, bool bottomUp) noexcept;

}  // namespace mve::il
