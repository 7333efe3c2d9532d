/* What the example plug-ins share: walking the rows of a source and a
 * destination of the same size, asking the host's progress function every
 * 64 rows, and one function per pixel. Pixels are B, G, R, A. */
#ifndef MVE_EXAMPLE_PIXEL_FILTER_H
#define MVE_EXAMPLE_PIXEL_FILTER_H

#include <morvane/plugin.h>

typedef void (*PixelFilter)(const unsigned char* source, unsigned char* destination);

static inline int filter_pixels(const MvePluginImage* source, MvePluginImage* destination, PixelFilter filter,
                                MvePluginProgress progress, void* progressContext)
{
    if (!source || !destination || source->width != destination->width ||
        source->height != destination->height)
        return MVE_PLUGIN_FAILED;
    for (int y = 0; y < source->height; ++y) {
        if (progress && y % 64 == 0 && progress(progressContext, y, source->height))
            return MVE_PLUGIN_CANCELLED;
        const unsigned char* s = source->pixels + (long)y * source->rowPixels * 4;
        unsigned char* d = destination->pixels + (long)y * destination->rowPixels * 4;
        for (int x = 0; x < source->width; ++x, s += 4, d += 4) filter(s, d);
    }
    return MVE_PLUGIN_OK;
}

#endif
