/* Example plug-in: a channel mixer that rotates the colour channels and
 * makes dark parts see-through.
 *   R' = G, G' = B, B' = R, A' = (R + G + B) / 3          (integer division)
 * It writes alpha in both modes; in colour mode the engine keeps the
 * layer's own alpha. */
#include <morvane/plugin.h>

static int run(const MvePluginImage* source, MvePluginImage* destination, int mode,
               MvePluginProgress progress, void* progressContext)
{
    (void)mode;
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
            d[0] = (unsigned char)r;                /* blue takes red */
            d[1] = (unsigned char)b;                /* green takes blue */
            d[2] = (unsigned char)g;                /* red takes green */
            d[3] = (unsigned char)((r + g + b) / 3);
        }
    }
    return MVE_PLUGIN_OK;
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
