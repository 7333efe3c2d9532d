// State of the files and exchange subsystem: the staging image, the chosen
// scanner and the file writers' JPEG quality.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/memory.h"

namespace mve::exchange {

// The staging image: packed RGBA32 rows top to bottom. width and height keep
// the last size set, also after the pixels are freed.
struct StagingImage {
    Plane8 pixels;
    int width = 0;
    int height = 0;
};

// The scanner chosen by the source selection ("" until one is chosen: the
// first device then serves).
struct ScannerState {
    std::string device;
};

// The last scaled and turned clipboard picture of a paste, with the key
// (size, angle, smooth) it was made for, so repeated pastes skip the work.
struct PasteCache {
    Plane8 pixels;  // packed RGBA32, width x height
    int width = 0;
    int height = 0;
    int size = 0;
    int angle = 0;
    int smooth = 0;
};

class AviWriter;
class GifWriter;

// The open recordings (at most one of each) and the options the next one is
// created with, and the picture list of the PDF writer.
struct RecordingState {
    std::shared_ptr<AviWriter> avi;
    int aviCodec = 0;     // 0 MJPEG, 1 uncompressed DIB
    int aviQuality = 90;  // MJPEG quality
    std::shared_ptr<GifWriter> gif;
    bool gifDifferencing = false;  // only the changed rectangle per frame
    std::vector<std::string> pdfImages;
};

// Every piece of mutable state of this subsystem.
struct ExchangeState {
    StagingImage staging;
    ScannerState scanner;
    PasteCache pasteCache;
    int jpegQuality = 0;  // quality of the file writers' JPEGs; 0: the standard 97
    RecordingState recording;
};

}  // namespace mve::exchange
