/* Plug-ins the host must turn away or survive: built once per variant.
 * BROKEN_OTHER_VERSION reports an interface version the engine does not speak,
 * BROKEN_NO_ENTRY lacks the entry point, BROKEN_FAILS scribbles over the
 * destination and then reports failure. */
#include <morvane/plugin.h>

static int run(const MvePluginImage* source, MvePluginImage* destination, int mode,
               MvePluginProgress progress, void* progressContext)
{
    (void)mode;
    (void)progress;
    (void)progressContext;
    for (int i = 0; i < source->height * source->rowPixels * 4; ++i) destination->pixels[i] = 0x5A;
#ifdef BROKEN_FAILS
    return MVE_PLUGIN_FAILED;
#else
    return MVE_PLUGIN_OK;
#endif
}

#ifdef BROKEN_OTHER_VERSION
#define VERSION (MVE_PLUGIN_ABI_VERSION + 1)
#else
#define VERSION MVE_PLUGIN_ABI_VERSION
#endif

static const MvePluginInfo info = {VERSION, "Broken", "Tests", "A plug-in that must not change the layer",
                                   run};

#ifdef BROKEN_NO_ENTRY
MVE_PLUGIN_EXPORT const MvePluginInfo* some_other_entry(void)
{
    return &info;
}
#else
const MvePluginInfo* mve_plugin_entry(void)
{
    return &info;
}
#endif
