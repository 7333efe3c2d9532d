// stack.xml of an OpenRaster document: the canvas size and the layer entries
// (top first in the file, bottom first here), parsed with expat.
#pragma once

#include <string>
#include <vector>

namespace mve_host {

struct OraStackEntry {
    std::string name, src;
    int x = 0, y = 0;
    double opacity = 1;
    bool visible = true;
    std::string compositeOp;  // as written; empty when absent
    std::string engineMode;   // our own attribute for modes OpenRaster lacks
};

struct OraStack {
    int width = 0, height = 0;
    std::vector<OraStackEntry> layers;  // bottom first
};

// Nested stacks are flattened: their offsets add up, a hidden stack hides
// its layers and its opacity multiplies theirs. false with a reason for XML
// that is malformed or lacks the image element, its size or a layer's src.
bool parse_stack_xml(const std::string& xml, OraStack& stack, std::string& error);

// stack.xml for the entries (bottom first), names escaped.
std::string write_stack_xml(const OraStack& stack);

}  // namespace mve_host
