// The two record readers behind render_metafile (metafile.h). Each checks its
// header, sizes the output (width x height, or the frame's own size when
// either is 0) and plays the records onto a MetafilePainter.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mve::il {

std::uint8_t* render_emf(const std::uint8_t* data, std::size_t size, int width, int height,
                         std::uint32_t background, int* outWidth, int* outHeight);
std::uint8_t* render_wmf(const std::uint8_t* data, std::size_t size, int width, int height,
                         std::uint32_t background, int* outWidth, int* outHeight);

// The output size for a frame of frameW x frameH device units: the requested
// size, or the frame rounded to whole pixels when none was requested.
bool metafile_output_size(double frameW, double frameH, int* width, int* height);

}  // namespace mve::il
