// Puts a picture on the clipboard and returns from main while the engine's
// service thread still owns the selection: the process must end on its own.
#include "morvane/morvane.h"

int main()
{
    const unsigned char pixels[8] = {1, 2, 3, 255, 4, 5, 6, 255};
    MVE_CreateImage(nullptr, 2, 1, 8, 0);
    MVE_RGBA32ToClipboardRect(pixels, 0, 0, 2, 1, 0);
    // Exit status 3 when the picture could not be read back (no owner).
    unsigned char png[256];
    return MVE_GetClipboardPNG(png, sizeof png) > 0 ? 0 : 3;
}
