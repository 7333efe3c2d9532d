// Canvas-wide fields of the engine state: the document size and the view.
#pragma once

#include <cstdint>

namespace mve {

struct CanvasState {
    void* hostWindow = nullptr;
    int width = 0;
    int height = 0;
    int rowBytes32 = 0;       // width * 4: a row of RGBA32
    int maxBrushSize = 0;     // sizes the grit patterns and the brush shape
    int maxBrushSize4 = 0;    // maximum brush size * 4, for the blend buffers
    int creationOption = 0;   // stored, read by nothing
};

// View settings of the renderer; reset by canvas creation and resize.
struct ViewState {
    int scaleFactor = 1;
    float scaleStep = 1.0f;
    int offsetX = 0;
    int offsetY = 0;
    std::uint8_t tracingMode = 0;
    // Largest output in pixels; 0 at load and kept by canvas creation, so
    // nothing is drawn before the host first sets it.
    int viewWidth = 0;
    int viewHeight = 0;
    int areaOfInterest[4] = {0, 0, 0, 0};  // stored for the host; the renderer does not read it
};

}  // namespace mve
