/* Example plug-in: a channel mixer that rotates the colour channels and
 * makes dark parts see-through.
 *   R' = G, G' = B, B' = R, A' = (R + G + B) / 3          (integer division)
 * It writes alpha in both modes; in colour mode the engine keeps the
 * layer's own alpha. */
#include "pixel_filter.h"

static void mix(const unsigned char* s, unsigned char* d)
{
    const int b = s[0], g = s[1], r = s[2];
    d[0] = (unsigned char)r; /* blue takes red */
    d[1] = (unsigned char)b; /* green takes blue */
    d[2] = (unsigned char)g; /* red takes green */
    d[3] = (unsigned char)((r + g + b) / 3);
}

static int run(const MvePluginImage* source, MvePluginImage* destination, int mode,
               MvePluginProgress progress, void* progressContext)
{
    (void)mode;
    return filter_pixels(source, destination, mix, progress, progressContext);
}

static const MvePluginInfo info = {
    MVE_PLUGIN_ABI_VERSION,
    "Channel Mixer",
    "Channels",
    "Red takes green, green blue, blue red; alpha from brightness",
    run,
};

const MvePluginInfo* mve_plugin_entry(void)
{
    return &info;
}
