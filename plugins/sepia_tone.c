/* Example plug-in: a warm brown sepia tone. Alpha is passed through.
 *   R' = min(255, (393 R + 769 G + 189 B) / 1000)
 *   G' = min(255, (349 R + 686 G + 168 B) / 1000)
 *   B' = min(255, (272 R + 534 G + 131 B) / 1000)          (integer division) */
#include <morvane/plugin.h>

static int clamp255(int v)
{
    return v > 255 ? 255 : v;
}

static int run(const MvePluginImage* source, MvePluginImage* destination, int mode,
               MvePluginProgress progress, void* progressContext)
{
    (void)mode; /* alpha is kept either way */
    if (!source || !destination || source->width != destination->width ||
        source->height != destination->height)
        return MVE_PLUGIN_FAILED;
    for (int y = 0; y < source->height; ++y) {
        if (progress && y % 64 == 0 && progress(progressContext, y, source->height))
            return MVE_PLUGIN_CANCELLED;
        const unsigned char* s = source->pixels + (long)y * source->rowPixels * 4;
        unsigned char* d = destination->pixels + (long)y * destination->rowPixels * 4;
        for (int x = 0; x < source->width; ++x, s += 4, d += 4) {
            const int b = s[0], g = s[1], r = s[2]; /* B, G, R, A order */
            d[0] = (unsigned char)clamp255((272 * r + 534 * g + 131 * b) / 1000);
            d[1] = (unsigned char)clamp255((349 * r + 686 * g + 168 * b) / 1000);
            d[2] = (unsigned char)clamp255((393 * r + 769 * g + 189 * b) / 1000);
            d[3] = s[3];
        }
    }
    return MVE_PLUGIN_OK;
}

static const MvePluginInfo info = {
    MVE_PLUGIN_ABI_VERSION, "Sepia Tone", "Colour", "Warm brown tones of an old photograph", run,
};

const MvePluginInfo* mve_plugin_entry(void)
{
    return &info;
}
