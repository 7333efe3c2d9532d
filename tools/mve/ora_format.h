// OpenRaster (.ora) documents: a zip holding "mimetype" (stored first,
// uncompressed), stack.xml (the layer stack, top layer first), one PNG per
// layer, mergedimage.png and Thumbnails/thumbnail.png. This file only reads
// and writes the container; compositing is the engine's (ora_engine.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mve_host {

struct OraLayer {
    std::string name;
    int x = 0, y = 0;           // position of the layer's top-left corner on the canvas
    int width = 0, height = 0;  // of its pixels
    double opacity = 1;         // 0..1
    bool visible = true;
    std::string mode = "Normal";        // the engine's blend mode name
    bool sixteenBit = false;            // kept as a 16-bit PNG
    std::vector<std::uint16_t> pixels;  // RGBA64, straight alpha, width x height
};

struct OraDocument {
    int width = 0, height = 0;
    std::vector<OraLayer> layers;  // bottom layer first
};

// What a reader accepts. The defaults are the engine's canvas limit: 100
// million pixels for the canvas and for any layer, and at most 270 layers
// (the engine's layer table less the background it composites onto).
struct OraLimits {
    std::uint64_t maxPixels = 100'000'000;
    std::uint64_t maxTotalLayerPixels = 400'000'000;
    std::size_t maxLayers = 270;
    std::size_t maxXmlBytes = 4 << 20;
};

// The OpenRaster composite-op for an engine blend mode, empty when
// OpenRaster has none; and the engine mode for a composite-op, empty when
// the op is not one of ours.
std::string composite_op_of(const std::string& mode);
std::string mode_of_composite_op(const std::string& op);

// Reads a document from a file or from memory; false with one line in error.
bool read_ora_file(const std::string& path, const OraLimits& limits, OraDocument& doc, std::string& error);
bool read_ora_memory(const void* data, std::size_t size, const OraLimits& limits, OraDocument& doc,
                     std::string& error);

// Writes the document with its composite (canvas-sized RGBA64) as the merged
// image and a thumbnail of at most 256 on a side. The file is written at
// path directly: callers wanting no partial output write to a temporary.
bool write_ora_file(const std::string& path, const OraDocument& doc, const std::vector<std::uint16_t>& merged,
                    std::string& error);

}  // namespace mve_host
