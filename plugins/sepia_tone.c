/* Example plug-in: a warm brown sepia tone. Alpha is passed through.
 *   R' = min(255, (393 R + 769 G + 189 B) / 1000)
 *   G' = min(255, (349 R + 686 G + 168 B) / 1000)
 *   B' = min(255, (272 R + 534 G + 131 B) / 1000)          (integer division) */
#include "pixel_filter.h"

static unsigned char clamp255(int v)
{
    return (unsigned char)(v > 255 ? 255 : v);
}

static void sepia(const unsigned char* s, unsigned char* d)
{
    const int b = s[0], g = s[1], r = s[2];
    d[0] = clamp255((272 * r + 534 * g + 131 * b) / 1000);
    d[1] = clamp255((349 * r + 686 * g + 168 * b) / 1000);
    d[2] = clamp255((393 * r + 769 * g + 189 * b) / 1000);
    d[3] = s[3];
}

static int run(const MvePluginImage* source, MvePluginImage* destination, int mode,
               MvePluginProgress progress, void* progressContext)
{
    (void)mode; /* alpha is kept either way */
    return filter_pixels(source, destination, sepia, progress, progressContext);
}

static const MvePluginInfo info = {
    MVE_PLUGIN_ABI_VERSION, "Sepia Tone", "Colour", "Warm brown tones of an old photograph", run,
};

const MvePluginInfo* mve_plugin_entry(void)
{
    return &info;
}
