// Layered documents (OpenRaster .ora) from the command line: mve convert and
// mve info hand .ora files here; mve render is defined beside them.
#pragma once

#include <string>

#include "effect_call.h"

namespace mve_host {

struct ConvertArgs {
    std::string in, out;
    int dpi = 0, quality = 0;
    std::string effect;  // applied to one layer of a document
    int layer = 0;       // 1 = bottom layer, 0 = the top one
    EffectCall call;
};

// .ora in and/or out: reads the document (or a picture as a one-layer
// document), runs the effect on one layer, writes a .ora or the composite.
int convert_document(const ConvertArgs& args);

// Prints the canvas size and one line per layer, top first.
int document_info(const std::string& path);

}  // namespace mve_host
