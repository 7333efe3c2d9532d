// The two font records of the text tools, the host's font chooser and the
// faces opened so far.
#pragma once

#include <memory>

namespace mve::ipl {

constexpr int kFaceNameSize = 64;  // bytes of a face name, NUL included

// A font as the chooser left it: family name (empty: the default face) and
// height in pixels (0: the default height).
struct FontRecord {
    char face[kFaceNameSize] = {};
    int height = 0;
};

// The host's chooser (MVE_FontChooser in the public header).
using FontChooser = int (*)(char* faceName, int faceNameSize, int* height, void* user);

class FaceCache;  // text_faces.cpp: FreeType library and opened faces

struct TextState {
    FontRecord textFont;   // MVE_IPLText
    FontRecord brushFont;  // MVE_BuildTextBrushClips
    FontChooser chooser = nullptr;
    void* chooserUser = nullptr;
    std::shared_ptr<FaceCache> faces;  // opened on first use
};

}  // namespace mve::ipl
