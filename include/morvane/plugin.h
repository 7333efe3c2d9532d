/* Image-filter plug-ins for morvane.
 *
 * A plug-in is a shared object (.so) that exports one C function,
 * mve_plugin_entry, returning a pointer to a static MvePluginInfo. The engine
 * finds plug-ins by scanning a directory (MVE_PhotoshopPluginScan), loads each
 * candidate with dlopen and accepts it only when the entry point exists and
 * reports MVE_PLUGIN_ABI_VERSION. It runs one through the effect dispatcher
 * ("Adobe Compatible Plug-ins", the plug-in file as the text argument).
 *
 * Pixels: both images are 4 bytes a pixel in B, G, R, A order, rows of
 * rowPixels pixels (rowPixels * 4 bytes), top row first. The destination has
 * the source's size and undefined contents on entry; the plug-in writes every
 * pixel of it. The plug-in must not keep the pointers after run returns. */
#ifndef MORVANE_PLUGIN_H
#define MORVANE_PLUGIN_H

#ifdef __cplusplus
extern "C" {
#endif

/* Raised whenever MvePluginInfo or the meaning of run changes. */
#define MVE_PLUGIN_ABI_VERSION 1
/* The name of the entry point the engine looks up. */
#define MVE_PLUGIN_ENTRY_NAME "mve_plugin_entry"

/* Modes passed to run. In colour mode the engine keeps the layer's alpha
 * whatever the plug-in writes there; in full mode the destination, alpha
 * included, replaces the layer. */
#define MVE_PLUGIN_MODE_COLOUR 0
#define MVE_PLUGIN_MODE_FULL 2

/* Results of run: 0 is success; anything else leaves the layer unchanged. */
#define MVE_PLUGIN_OK 0
#define MVE_PLUGIN_FAILED 1
#define MVE_PLUGIN_CANCELLED 2

typedef struct MvePluginImage {
    int width;
    int height;
    unsigned char* pixels;
    int rowPixels; /* pixels from one row to the next (the width for the engine's buffers) */
} MvePluginImage;

/* Called by the plug-in now and then with the work done out of total; a
 * non-zero return asks the plug-in to stop and return MVE_PLUGIN_CANCELLED. */
typedef int (*MvePluginProgress)(void* context, int done, int total);

typedef struct MvePluginInfo {
    int abiVersion;          /* MVE_PLUGIN_ABI_VERSION of the header the plug-in was built with */
    const char* name;        /* shown in menus, e.g. "Sepia Tone" */
    const char* category;    /* the menu it goes in, e.g. "Colour" */
    const char* description; /* one line on what it does */
    int (*run)(const MvePluginImage* source, MvePluginImage* destination, int mode,
               MvePluginProgress progress, void* progressContext);
} MvePluginInfo;

typedef const MvePluginInfo* (*MvePluginEntryFn)(void);

#if defined(__GNUC__)
#define MVE_PLUGIN_EXPORT __attribute__((visibility("default")))
#else
#define MVE_PLUGIN_EXPORT
#endif

/* Every plug-in defines this function. */
MVE_PLUGIN_EXPORT const MvePluginInfo* mve_plugin_entry(void);

#ifdef __cplusplus
}
#endif

#endif /* MORVANE_PLUGIN_H */
