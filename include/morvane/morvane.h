/*
 * morvane: the painting engine of a layered RGBA64 canvas.
 *
 * One engine state per process; every export works on it. Planes are RGBA64
 * (four 16-bit channels, straight colour); the host exchanges RGBA32 and RGB24.
 * Exports that can fail store a fixed text readable with MVE_GetLastError and
 * return their neutral value (0, null or nothing). Call from one thread only.
 *
 * Families are grouped in this order: canvas and memory, pixel transfer,
 * layers, merges, run-length codecs, undo, masks, brush, view, dabs, brush
 * shapes, textures, blend buffers, image brushes, tablet, processing and geometry.
 * Each family keeps its declarations between its BEGIN and END markers.
 */
#ifndef MORVANE_MORVANE_H
#define MORVANE_MORVANE_H

#include <stdbool.h>
#include <stddef.h>

#if defined(MVE_BUILDING_LIBRARY)
#define MVE_API __attribute__((visibility("default")))
#else
#define MVE_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ==== BEGIN canvas lifecycle, errors, memory, system ==== */

/* Creates the canvas: size clamps (negative or above 10000 gives 100), planes, tables. */
MVE_API void MVE_CreateImage(void* hostWindow, int width, int height, int maxBrushSize, int creationOption);
/* Rebuilds every size-dependent plane; layers keep their old buffers. */
MVE_API void MVE_NewSize(void* hostWindow, int width, int height, int maxBrushSize, int creationOption);
/* Frees everything, every layer included. */
MVE_API void MVE_DeleteImage(void);

/* Stores at most 511 characters of text as the last failure. */
MVE_API void MVE_SetLastError(const char* text);
MVE_API const char* MVE_GetLastError(void);

/* Threads the pixel loops use, the calling thread included. 0 (or less) means all
   cores. Returns the count now in force. MVE_THREADS in the environment sets the
   count until the host sets one. */
MVE_API int MVE_SetThreadCount(int count);
MVE_API int MVE_GetThreadCount(void);

/* Heap block; frees old undo steps and retries while allocation fails. */
MVE_API void* MVE_Alloc(int size);
MVE_API void MVE_Free(void* block);
MVE_API void MVE_Memcpy(void* dst, const void* src, int n);
/* Truncation for x >= 0; (x - 1) truncated for x < 0, so -2.0 gives -3. */
MVE_API float MVE_Floor(float x);
MVE_API void* BankAdrs(void* p);

/* Store the variation amount; refill the variation table when amount > 0. */
MVE_API int MVE_SetPixColorVary(int amount);
MVE_API int MVE_SetPixLumVary(int amount);

MVE_API unsigned int MVE_GetWindowBackgroundColor(void);
MVE_API unsigned int MVE_GetWindowTextColor(void);
MVE_API int MVE_GetWindowCaptionSize(void);
MVE_API int MVE_GetWindowSmallCaptionSize(void);
MVE_API int MVE_GetWindowFixedFrameSize(void);
MVE_API int MVE_GetWindowSizedFrameSize(void);
MVE_API int MVE_SetWindowBasePos(int left, int top, int right, int bottom);
/* Memory figures in MB. */
MVE_API unsigned int MVE_GetTotalPhyMemory(void);
MVE_API unsigned int MVE_GetAvailPhyMemory(void);
MVE_API unsigned int MVE_GetTotalPgMemory(void);
MVE_API unsigned int MVE_GetAvailPgMemory(void);
MVE_API unsigned int MVE_GetTotalVirMemory(void);
MVE_API unsigned int MVE_GetAvailVirMemory(void);
MVE_API int MVE_GetTotalUndoMemory(void);
MVE_API int MVE_GetCurrentUndoMemory(void);
/* Layer table entries 0..271 whose pixels exist. */
MVE_API int MVE_GetLayerCount(void);
MVE_API const char* MVE_GetDirInfo(void);
MVE_API int MVE_IsCompositionEnabled(void);
/* 1 once after a display change, then 0. */
MVE_API int MVE_IsDisplayChanged(void);

/* ==== END canvas lifecycle, errors, memory, system ==== */

/* ==== BEGIN pixel transfer ==== */

/* Raw RGBA64 copies; rowBytes are byte counts. */
MVE_API void MVE_SetRGBA64Layer(const unsigned short* buffer, int rowBytes, int layer);
MVE_API void MVE_SetLayerData(const unsigned short* data, int layer);
MVE_API void MVE_CopyLayerData(int srcLayer, int dstLayer);
MVE_API void MVE_GetRGBA64Layer(unsigned short* buffer, int rowBytes, int layer);
MVE_API void MVE_GetRGBA64LayerRect(unsigned short* buffer, int rowBytes, int layer, int x, int y, int w, int h);
MVE_API void MVE_GetLayerData(unsigned short* buffer, int layer);

/* Loads: 8 bits become v * 256 (255 -> 65280). masked != 0 goes through the
 * Mask (when enabled) and the texture plane (when present). */
/* Places a width x height RGBA32 buffer at (x, y), clipped; lock alpha keeps the layer's alpha. */
MVE_API void MVE_LoadRGBA32Layer(const unsigned char* buffer, int rowBytes, int layer, int x, int y, int width,
                                 int height, int masked);
/* Into the current layer at (0, 0) with the layer's size. */
MVE_API void MVE_LoadRGBA32(const unsigned char* buffer, int rowBytes, int masked);
/* MVE_LoadRGBA32Layer with masked = 1. */
MVE_API void MVE_LoadRGBA32Into(const unsigned char* buffer, int rowBytes, int layer, int x, int y, int width,
                                int height);
/* Canvas-sized RGB24 into the current layer's colours; alpha is never changed. */
MVE_API void MVE_LoadRGB24(const unsigned char* buffer, int rowBytes, int masked);
/* The current layer's alpha from a grey canvas-sized RGB24 image. */
MVE_API void MVE_LoadRGB24ToAlpha(const unsigned char* buffer, int rowBytes, int masked);
/* B, G, R bytes into the current layer from (0, 0), opaque (alpha 65535). */
MVE_API void MVE_Load(const unsigned char* bgr, int rowBytes, int width, int height);

/* Read-outs: the high byte of every 16-bit channel; canvas-sized buffers. */
MVE_API void MVE_GetRGBA32Layer(unsigned char* buffer, int rowBytes, int layer);
MVE_API void MVE_GetRGBA32(unsigned char* buffer, int rowBytes);
MVE_API void MVE_GetRGB24(unsigned char* buffer, int rowBytes);
MVE_API void MVE_GetRGB24Layer(unsigned char* buffer, int rowBytes, int layer);
/* The current layer's alpha high byte in all three bytes. */
MVE_API void MVE_GetRGB24FromAlpha(unsigned char* buffer, int rowBytes);
/* w x h pixels; in points at the rectangle's first pixel, x and y only bound the loops. */
MVE_API void MVE_GetRGBA32FromRGBA64Rect(unsigned char* out, int outRowBytes, const unsigned short* in,
                                         int inRowBytes, int x, int y, int w, int h);
MVE_API void MVE_GetRGBA32FromRGBA64(unsigned char* out, int outRowBytes, int width, int height,
                                     const unsigned short* in, int inRowBytes);
MVE_API void MVE_GetRGB24FromRGBA64Rect(unsigned char* out, int outRowBytes, const unsigned short* in,
                                        int inRowBytes, int x, int y, int w, int h);
MVE_API void MVE_GetRGB24FromRGBA64(unsigned char* out, int outRowBytes, const unsigned short* in, int inRowBytes);
/* Rectangle of a plane with inStride pixels per row, clipped to the canvas, to packed RGBA32. */
MVE_API void MVE_RGBA64RectToRGBA32(const unsigned short* in, int x, int y, int w, int h, int inStride, int ignored,
                                    unsigned char* out);
/* The same without clipping, to packed RGB24. */
MVE_API void MVE_RGBA64RectToRGBA24(const unsigned short* in, int x, int y, int w, int h, int inStride, int ignored,
                                    unsigned char* out);

/* Fills; r, g, b, a are 8-bit except for MVE_ClearRGBA64. */
MVE_API void MVE_Clear(int r, int g, int b, int a);
/* Through the Mask when enabled; partly selected pixels become opaque. */
MVE_API void MVE_ClearMasked(int r, int g, int b, int a);
/* Through the masked load path when the mask is enabled or the layer locks alpha. */
MVE_API void MVE_ClearMaskedAlpha(int r, int g, int b, int a);
MVE_API void MVE_ClearRGBA64(unsigned short* buffer, int rowBytes, int r, int g, int b, int a);
MVE_API void MVE_ClearRGBA32(unsigned char* buffer, int rowBytes, int r, int g, int b, int a);
MVE_API void MVE_ClearRGBA32Buf(unsigned char* buffer, int width, int height, int r, int g, int b, int a);

/* Packed buffer converters. */
/* RGB24 to RGBA32, alpha bytes untouched. */
MVE_API void MVE_RGBToRGBA(unsigned char* out, int width, int height, const unsigned char* in);
MVE_API void MVE_RGBAToRGB(unsigned char* out, int width, int height, const unsigned char* in);
/* RGB24 out = the RGBA32 alpha byte, three times. */
MVE_API void MVE_RGBAlphaToRGB(unsigned char* out, int width, int height, const unsigned char* in);
/* RGBA32 alpha = (r + g + b) / 3 of the RGB24 input. */
MVE_API void MVE_RGBToRGBAlpha(unsigned char* buffer, int width, int height, const unsigned char* in);
/* Inside the canvas: the pixel's bytes become the high bytes of 16-bit r, g, b. */
MVE_API void MVE_SetPixelRGB24(unsigned char* buffer, int rowBytes, int x, int y, int r, int g, int b);
/* Canvas-sized RGBA32: pixels with |A - alpha| <= tolerance * 2.56 become (r, g, b, a). */
MVE_API void MVE_ReplaceFromRGBAImageAlphaRange(unsigned char* buffer, int alpha, int tolerancePercent, int r, int g,
                                                int b, int a);

/* Premultiplication around filters (packed buffers). */
MVE_API void MVE_AdjustRGBA32PreFilter(unsigned char* buffer, int width, int height);
/* Alpha 254 is raised to 255. */
MVE_API void MVE_AdjustRGBA32PostFilter(unsigned char* buffer, int width, int height);
MVE_API void MVE_AdjustRGBA64PreFilter(unsigned short* buffer, int width, int height);
MVE_API void MVE_AdjustRGBA64PostFilter(unsigned short* buffer, int width, int height);
/* Only when flag != 0: un-premultiplies a canvas-sized RGBA32 buffer. */
MVE_API void MVE_AdjustRGBA32ForAlphaComp(int flag, unsigned char* buffer);
/* Scales alpha by the Mask and texture coverage; buffer at the canvas origin. */
MVE_API void MVE_AdjustRGBA32ByMaskAndTexture(unsigned char* buffer, int width, int height);
/* The same for a buffer placed at (x, y); only the part on the canvas changes. */
MVE_API void MVE_AdjustRGBA32RectByMaskAndTexture(unsigned char* buffer, int x, int y, int width, int height);

/* Single-pixel queries. Channels of the current layer; 0 outside the canvas. */
MVE_API int MVE_GetRed64(int x, int y);
MVE_API int MVE_GetGreen64(int x, int y);
MVE_API int MVE_GetBlue64(int x, int y);
MVE_API int MVE_GetAlpha64(int x, int y);
/* x, y clamped into the canvas; high bytes packed R:24 G:16 B:8 A:0; null plane 0. */
MVE_API unsigned int MVE_GetRGBAAt(int x, int y, const unsigned short* plane);
MVE_API unsigned int MVE_GetRGBAAtSurface(int x, int y);
MVE_API unsigned int MVE_GetRGBAAtUnderLayer(int x, int y);
MVE_API unsigned int MVE_GetRGBAAtLayer(int x, int y, int layer);
MVE_API unsigned int MVE_GetRGBAAtTrace(int x, int y);
/* Null plane 0; outside the canvas 0xFFFFFF; else high bytes packed A:24 R:16 G:8 B:0. */
MVE_API unsigned int MVE_GetColorAt(int x, int y, const unsigned short* plane);
MVE_API unsigned int MVE_GetColorAtSurface(int x, int y);
MVE_API unsigned int MVE_GetColorAtUnderLayer(int x, int y);
MVE_API unsigned int MVE_GetColorAtLayer(int x, int y, int layer);
MVE_API unsigned int MVE_GetColorAtPaintLayer(int x, int y);
MVE_API unsigned int MVE_GetColorAtTrace(int x, int y);
/* The composite of the visible layers at (x, y), packed as MVE_GetColorAt; outside the canvas 0xFFFFFF. */
MVE_API unsigned int MVE_GetColorAtMerged(int x, int y);
/* ==== END pixel transfer ==== */

/* ==== BEGIN layers and PaintLayer ==== */

MVE_API int MVE_CreateLayer(int index, int width, int height);
MVE_API void MVE_DeleteLayer(int index);
MVE_API void MVE_SwapLayers(int a, int b);
MVE_API void MVE_SetLayer(int index);
MVE_API int MVE_GetLayerNum(void);
/* Returns the blend mode number (or the texture result for a mode-29 layer). */
MVE_API int MVE_SetLayerOptions(int index, int visible, int lockAlpha, int opacityPercent, const char* modeName);
MVE_API int MVE_SetAlphaLayerOpacity(int percent);

/* Returns the PaintLayer's blend mode. */
MVE_API int MVE_CreatePaintLayer(int opacityPercent, int levelPercent, const char* modeName);
MVE_API void MVE_ClearPaintLayer(void);
MVE_API void MVE_ClearPaintLayer_old(void);
MVE_API void MVE_DeletePaintLayer(void);
MVE_API void MVE_SetPaintLayerExtents(int x0, int y0, int x1, int y1);
MVE_API void MVE_SwapPaintLayer(int index);
MVE_API void MVE_BlurPaintLayerAlpha(void);

/* Bounds are inclusive; an absent layer leaves the outputs untouched. */
MVE_API void MVE_FindDataExtentsLayer(int index, int* x0, int* y0, int* x1, int* y1);
MVE_API void MVE_FindDataExtentsLayerEX(int index, int* x0, int* y0, int* x1, int* y1);
MVE_API int MVE_IsLayerTransparent(int index);
MVE_API int MVE_IsSingleColor(int index);

MVE_API void MVE_InvertAlpha(int index);
MVE_API void MVE_InvertAlpha_RGBA32(unsigned char* buffer);
MVE_API void MVE_SetLayerAlpha(int index, int value);
MVE_API void MVE_NormalizeLayerAlpha(int index);
MVE_API void MVE_SetColorAlpha(int r, int g, int b);
MVE_API void MVE_SetColorAlphaRGBABuf(unsigned char* buffer, int width, int height, int r, int g, int b);
MVE_API void MVE_SetColorRGBABuf(unsigned char* buffer, int width, int height, int r, int g, int b);
MVE_API void MVE_SetAlphaFromRGBAImageColor(unsigned char* buffer, int r, int g, int b);
MVE_API void MVE_CreateBlobFromImage(int index, int style);

/* ==== END layers and PaintLayer ==== */

/* ==== BEGIN merges, mix mode, tracing mode ==== */

/* Whole canvas, layer src into layer dst with src's mode, opacity and layer mask. */
MVE_API void MVE_MergeLayer(int src, int dst);
/* Layer index at (x, y), w x h, into an RGBA64 buffer of w x h; 1 on success, 0 otherwise. */
MVE_API int MVE_MergeLayerIntoRect(int index, unsigned short* buffer, int x, int y, int w, int h);
MVE_API int MVE_MergeLayerInto(int index, unsigned short* buffer);
/* Composite of the visible layers (layer 1 copied, 2..271 merged) into a w x h RGBA64 buffer. */
MVE_API void MVE_MergeRect(unsigned short* buffer, int x, int y, int w, int h);
MVE_API void MVE_Merge(unsigned short* buffer);
/* Merges the PaintLayer's extents into layer index, then clears the PaintLayer. */
MVE_API void MVE_MergePaintLayer(int index);
/* A canvas-sized RGBA32 buffer (v becomes v x 256) merged into layer index; opacity 0..256. */
MVE_API void MVE_MergeRGBA32Layer(const unsigned char* buffer, int index, int mode, int opacity);
/* One pixel: destination channels are 16-bit values in int variables; level 0..255. */
MVE_API void MVE_MergePixel(int* dR, int* dG, int* dB, int* dA, int sR, int sG, int sB, int sA, int mode,
                            int level, int lockAlpha);
/* Paint mix mode and level; returns truncate((level - 127) / 127 x 16). */
MVE_API int MVE_SetMixMode(int mode, int level);
MVE_API int MVE_SetTracingMode(int flag);

/* ==== END merges, mix mode, tracing mode ==== */

/* ==== BEGIN run-length codecs and compressed layer blocks ==== */

/* Run-length lines. RGBA: 5-byte records [n, R, G, B, A] of high bytes;
 * grey: 2-byte records [n, v]; n = 1..255. The encoders return the bytes
 * written (out must hold 5 or 2 bytes per pixel), 0 for a null pointer.
 * The decoders fill one row of width pixels with v << 8 and stop early at a
 * record whose run is 0, leaving the rest of the row as it was. */
MVE_API int MVE_RLECompressRGBA64ToRGBA32(const unsigned short* in, unsigned char* out, int width);
MVE_API void MVE_RLEUncompressRGBA32ToRGBA64(const unsigned char* in, unsigned short* out, int width);
MVE_API int MVE_RLECompressG16ToG8(const unsigned short* in, unsigned char* out, int width);
MVE_API void MVE_RLEUncompressG8ToG16(const unsigned char* in, unsigned short* out, int width);
/* One row of a layer; 0 / nothing for a null buffer, an absent layer or a row outside it. */
MVE_API int MVE_GetRGBA32LayerLineRLE(unsigned char* out, int layer, int row);
MVE_API void MVE_PutRGBA32LayerLineRLE(const unsigned char* in, int layer, int row);
/* A layer as one zlib stream of canvas-sized RGBA32 (level 1..12, other values the
 * default); returns the stream length, 0 on failure or when out is too small. */
MVE_API int MVE_GetRGBA32LayerCompressed(unsigned char* out, int ignored, int outCapacity, int layer, int level);
/* Loads such a block unmasked at (0, 0). A corrupt, truncated or differently sized
 * block leaves the layer unchanged and records "LoadRGBA32LayerCompressed Excpt". */
MVE_API void MVE_LoadRGBA32LayerCompressed(const unsigned char* in, int ignored, int inLength, int layer);
/* ==== END run-length codecs and compressed layer blocks ==== */

/* ==== BEGIN undo and fade ==== */

/* Clears the history, then keeps at most n steps (0..500); returns the level count. */
MVE_API int MVE_SetUndoLevels(int n);
/* Budget in MB; 0 turns on the automatic budget computed from free memory. */
MVE_API void MVE_SetUndoMB(int mb);
/* Frees every step and refreshes the back buffer (UnderLayer) from the current layer. */
MVE_API void MVE_ClearUndo(void);
/* While paused, saving, undo, redo and back-buffer refreshes do nothing. */
MVE_API void MVE_PauseUndo(void);
MVE_API void MVE_ResumeUndo(void);
/* Marks the whole canvas as changed for the next MVE_SaveUndoBuffer. */
MVE_API void MVE_InvalidateDirtyUndoCanvas(void);
/* Copies a layer's pixels and the Mask into the back buffer. */
MVE_API void MVE_SaveUndoBackBuffer(int layer);
/* Records the dirty rectangle as one step (booleans in their low byte); an
 * empty or one-pixel-thin dirty rectangle records the whole canvas. */
MVE_API void MVE_SaveUndoBuffer(int savePixels, int saveMask);
MVE_API void MVE_Undo(void);
MVE_API void MVE_Redo(void);
MVE_API int MVE_CanUndo(void);
MVE_API int MVE_CanRedo(void);
/* Slots holding a step, redo steps included. */
MVE_API int MVE_GetUndoCount(void);
MVE_API int MVE_GetRedoCount(void);
/* Frees the oldest steps until at least kb kilobytes are released. */
MVE_API void MVE_ReduceUndo(int kb);
/* Puts the most recently undone step's pixels back on its layer; 0 when nothing was undone. */
MVE_API int MVE_StartFade(void);
/* Do nothing (kept for hosts that call them). */
MVE_API void MVE_UpdateFade(int value);
MVE_API void MVE_SetGridSpacing(int value);
MVE_API void MVE_EndFade(void);
/* The back buffer's colour at (x, y) packed 0xAARRGGBB while undo is possible, else 0. */
MVE_API unsigned int MVE_GetColorAtHistory(int x, int y);

/* ==== END undo and fade ==== */

/* ==== BEGIN masks ==== */

/* Mask settings. EnableMask and DisplayMask return the flag they store. */
MVE_API int MVE_EnableMask(int flag);
MVE_API int MVE_DisplayMask(int flag);
/* The next dab paints into the Mask. */
MVE_API void MVE_SetMaskMakerOn(void);
/* Display tint: two RGB colours (8-bit channels) and the strength flag
 * (0 = unselected areas at most half tinted). */
MVE_API void MVE_SetMaskOptions(int r1, int g1, int b1, int r2, int g2, int b2, int strengthFlag);

/* Whole Mask (width x height 16-bit values; 65535 passes, 0 blocks). */
MVE_API void MVE_InvertMask(void);
/* One value from the grey (r + g + b) / 3 of 16-bit channels. */
MVE_API void MVE_ClearMask(int r, int g, int b);
MVE_API void MVE_GetMaskData16(unsigned short* buffer);
MVE_API void MVE_SetMaskData16(const unsigned short* buffer);
/* 65535 - m at (x, y); 0 without a current layer, with the Mask disabled or outside the canvas. */
MVE_API int MVE_GetMask64(int x, int y);

/* Grey pictures: black passes, white blocks. */
MVE_API void MVE_SaveMask(unsigned char* rgb24, int rowBytes);
MVE_API void MVE_LoadMask(const unsigned char* rgb24, int rowBytes, int width, int height);
MVE_API void MVE_CreateImageFromMask(void);
MVE_API void MVE_CreateMaskFromImage(void);
MVE_API void MVE_CreateMaskFromImageLuma(void);
MVE_API void MVE_CreateMaskFromAlpha(void);
/* kind 0 sets, 1 adds, 2 subtracts the Mask to or from the current layer's alpha. */
MVE_API void MVE_CreateAlphaFromMask(int kind);
/* mode "Add", "Subtract" or "Replace" (anything else adds); threshold 1 uses level where the picture is black. */
MVE_API void MVE_CombineMask(const unsigned char* rgb24, int rowBytes, int threshold, int level, const char* mode);
/* One Mask row as grey run-length records; returns the bytes written. */
MVE_API int MVE_GetMaskLineRLE(unsigned char* out, int row);
MVE_API void MVE_PutMaskLineRLE(const unsigned char* in, int row);

/* Creators from canvas-sized pictures: matching pixels get (65535 - strength) << 8
 * (strength 0 marks 65280, 255 marks 0); others keep their value. Tolerances
 * are percentages (x 2.56 for channels, x 1.8 degrees for hue). */
MVE_API void MVE_CreateMaskFromDiff_RGBA32(const unsigned char* a, const unsigned char* b, int value);
MVE_API void MVE_CreateMaskFromRGBAImageColor(const unsigned char* rgba32, int r, int g, int b, int strength);
MVE_API void MVE_CreateMaskFromRGB24ImageColor(const unsigned char* rgb24, int r, int g, int b, int strength);
MVE_API void MVE_CreateMaskFromFloodMask(const unsigned char* bytes, int strength);
MVE_API void MVE_CreateMaskFromRGBAImageColorRange(const unsigned char* rgba32, int r, int g, int b, int tolerance,
                                                   int strength);
MVE_API void MVE_CreateMaskFromRGBAImageAlphaRange(const unsigned char* rgba32, int alpha, int tolerance,
                                                   int strength);
MVE_API void MVE_CreateMaskFromRGBAImageLuminanceRange(const unsigned char* rgba32, int r, int g, int b,
                                                       int tolerance, int strength);
MVE_API void MVE_CreateMaskFromRGBAImageHueRange(const unsigned char* rgba32, int r, int g, int b, int tolerance,
                                                 int strength);
/* Hue tolerance 1.0 is 180 degrees; saturation and lightness tolerances are on 0..1. */
MVE_API void MVE_CreateMaskFromRGBAImageHSLRange(const unsigned char* rgba32, int r, int g, int b,
                                                 double hueTolerance, double saturationTolerance,
                                                 double lightnessTolerance, int strength);

/* 8-bit alpha through the Mask's high byte h: 0 clears, 255 keeps, else a * (h + 1) >> 8.
 * buffer holds the pixel of canvas position (x0, y0); the rectangle is inclusive. */
MVE_API void MVE_ApplyMaskToAlphaRect_RGBA32(unsigned char* buffer, int rowBytes, int x0, int y0, int x1, int y1);
MVE_API void MVE_ApplyMaskToAlpha_RGBA32(unsigned char* buffer);
/* ==== END masks ==== */

/* ==== BEGIN brush settings and tools ==== */

/* Brush diameter (0..1000): full size = dab size = size, identity scale table. */
MVE_API void MVE_SetSize(int size);
/* Draws n (1..full size, at most 999) dab pixels sampling the shape evenly. */
MVE_API void MVE_SetScaleSize(int n);
/* Grit density: stored as d - 1. */
MVE_API void MVE_SetDensity(int d);
/* Opacity in percent; the dab scale is trunc(a * 1.28). */
MVE_API void MVE_SetAlpha(int a);
/* Brush colour from 8-bit channels (v * 256: 255 gives 65280), alpha 65535. */
MVE_API void MVE_SetColor(int r, int g, int b);
/* Brush colour from 16-bit channels, alpha 65535. */
MVE_API void MVE_SetColor16(int r, int g, int b);
/* Four extra brush colours from 8-bit channels. */
MVE_API void MVE_SetColorBanks(int r0, int g0, int b0, int r1, int g1, int b1, int r2, int g2, int b2, int r3,
                               int g3, int b3);
MVE_API void MVE_SetColorVary(int v);
/* Pick-up weights out of 256; the inverse 256 - s changes only for s > 0. */
MVE_API void MVE_SetBlendStrength(int s);
MVE_API void MVE_SetBlendPrimaryColorStrength(int s);
MVE_API void MVE_SetBlendRemix(int on);
/* Blur of a loaded brush-shape picture in percent, used at the next shape build. */
MVE_API void MVE_SetShapeBlur(int b);
MVE_API void MVE_SetAlphaLocked(int v);
MVE_API void MVE_SetColorLocked(int v);
MVE_API void MVE_SetBlobLocked(int v);
MVE_API void MVE_SetAlphaLevel(int v);
MVE_API void MVE_SetImageBrushMode(int v);
MVE_API void MVE_SetSolidBrushMode(int v);
/* Dab rotation: radians = degrees / 180 * 3.14159, sine and cosine as floats. */
MVE_API void MVE_SetRotateBrushMode(int on, int degrees);
/* One-shot flags of the next dab. */
MVE_API void MVE_TempDisableBlend(void);
MVE_API void MVE_SetEraseModeOn(void);
/* Counts one dab off the current grit pattern. */
MVE_API void MVE_DecDrawingLength(void);
/* Stores the seed and reseeds the engine's generator with it. */
MVE_API void MVE_SetRandomSeed(int seed);
/* Directory under which scripts live; a text of 1024 or more characters is ignored. */
MVE_API void MVE_SetStartDir(const char* path);
/* WM_SETREDRAW / RedrawWindow on a host window; 0 for a window the engine cannot reach. */
MVE_API int MVE_SetWindowRedraw(void* window, int on);
MVE_API int MVE_RedrawWindow(void* window);
/* Compound tool set-up: stores the settings, builds the 20 grit patterns
 * (generated dots, or tiles of an image-script or image file named by
 * gritSource) and then the brush shape from shapePath and shapeAngle. */
MVE_API void MVE_SetTool(float shapeIntensity, int gritDotSize, int gritDotThreshold, int gritPixelThreshold,
                         int softness, int colorVary, int drawingLength, int blendStrength,
                         int blendPrimaryColorStrength, int blendRemix, int reservedB, int shapeOption,
                         int reservedA, const char* gritSource, const char* shapePath, int shapeAngle);
/* Copies grit pattern index (0..19), (maximum brush size + 25)^2 bytes with a
 * row stride of the maximum brush size, into out; returns the byte count, 0
 * when the index or pattern is absent. */
MVE_API int MVE_GetGritPattern(int index, unsigned char* out);

/* ==== END brush settings and tools ==== */

/* ==== BEGIN view ==== */

/* Composites the visible layers, the stroke in the PaintLayer, the Trace image
 * (tracing mode), a checkerboard under transparency and the mask tint for the
 * canvas rectangle (x, y, w, h) into dst: rows of dstStride bytes, 3 bytes per
 * pixel in the order blue, green, red. The rectangle is clipped to the canvas;
 * the output is at most the view size and is magnified or reduced by the scale. */
MVE_API void MVE_Render(unsigned char* dst, int dstStride, int x, int y, int w, int h);
/* Equal factor and step: 1:1; step above the factor: reduced, one output pixel
 * per step canvas pixels; step below: magnified by the integer factor. */
MVE_API void MVE_SetScale(int factor, float step);
/* The largest output in pixels; 0 x 0 (the start value) draws nothing. */
MVE_API void MVE_SetViewSize(int w, int h);
/* Stored for the host; the renderer does not read them. */
MVE_API void MVE_SetOffset(int x, int y);
MVE_API void MVE_SetAOI(int a, int b, int c, int d);

/* ==== END view ==== */

/* ==== BEGIN dabs ==== */
/* One brush stamp centred on (x, y) into the PaintLayer, or the current layer
 * when there is none. r, g, b are 16-bit channels; their high bytes become the
 * brush colour. Draws into the Mask instead while mask-maker mode is on. Clears
 * the one-shot flags (blend disabled, erase, mask maker). */
MVE_API void MVE_DrawDabGrit(int x, int y, int r, int g, int b);
/* The same stamp painted into the Mask with the brush colour's red level. */
MVE_API void MVE_DrawDabGritMask(int x, int y);
/* ==== END dabs ==== */

/* ==== BEGIN brush shapes ==== */

/* Builds the brush shape from a picture (image script or image file; a path
 * of 0 or 1 characters means none) rotated by angle degrees, or the soft
 * round brush when there is no usable picture. */
MVE_API void MVE_SetBrushShape(const char* path, int angle);
/* The earlier variant: image files only, no shape blur, integer round-brush offsets. */
MVE_API void MVE_SetBrushShape_ORIGINAL(const char* path, int angle);
/* Drops the cached source picture. */
MVE_API void MVE_UnloadBrushShape(void);
/* Copies the brush shape, (maximum brush size)^2 16-bit values with a row
 * stride of the maximum brush size, into out; returns the value count, 0
 * when there is no shape. */
MVE_API int MVE_GetBrushShape16(unsigned short* out);

/* ==== END brush shapes ==== */

/* ==== BEGIN textures ==== */

/* Builds the paper texture from a layer's luminance; returns the canvas width, 0 on failure. */
MVE_API int MVE_CreateTexture(int layer);
MVE_API void MVE_DeleteTexture(void);
/* ==== END textures ==== */

/* ==== BEGIN blend buffers ==== */

/* Up to 20 M x M RGBA64 buffers (M = maximum brush size); record 0 becomes current. */
MVE_API int MVE_SetBlendBufferCount(int count);
MVE_API void MVE_SelectBlendBuffer(int index);
/* Copies load the brush square centred on (x, y) from a plane, pulled toward
 * the brush colour by c / 256; they return 0 while the blend strength is 0. */
MVE_API int MVE_CopyBlendBufferSurface(int x, int y, int c, int flag);
MVE_API int MVE_CopyBlendBufferLayer(int layer, int x, int y, int c);
MVE_API int MVE_CopyBlendBufferUnderLayer(int x, int y, int c);
MVE_API int MVE_CopyBlendBufferHistory(int x, int y, int c);
MVE_API int MVE_CopyBlendBufferTrace(int x, int y, int c);
MVE_API int MVE_DoCopyBlendBuffer(int x, int y, const unsigned short* plane, int c, int flag);
MVE_API int MVE_DoCopyBlendBufferMask(int x, int y, int c);
/* Mixes canvas colour into the buffer by w / 256 through the paint mix mode. */
MVE_API int MVE_MixBlendBufferSurface(int x, int y, int w);
MVE_API int MVE_MixBlendBufferLayer(int layer, int x, int y, int w);
MVE_API int MVE_MixBlendBufferUnderLayer(int x, int y, int w);
MVE_API int MVE_MixBlendBufferHistory(int x, int y, int w);
MVE_API int MVE_MixBlendBufferTrace(int x, int y, int w);
MVE_API int MVE_DoMixBlendBuffer(int x, int y, const unsigned short* plane, int w);
/* Tints the buffer toward an 8-bit colour by f / 256 (f 0..255). */
MVE_API int MVE_DoColorBlendBuffer(int x, int y, int r, int g, int b, int unused, int f);
MVE_API void MVE_ClearBlendBuffer(void);
MVE_API void MVE_FillBlendBuffer(int unused1, int unused2, int hi, int lo);
/* 289 grey, 290 invert, 291 channels below level % to 0, 292 above to 65280. */
MVE_API void MVE_FilterBlendBuffer(int kind, int level);

/* ==== END blend buffers ==== */

/* ==== BEGIN image brushes ==== */

/* Source image brush from a file or a host RGBA32 buffer; pictures larger than
 * the maximum brush size and unreadable files are ignored. */
MVE_API void MVE_LoadImageBrush(const char* path);
MVE_API void MVE_LoadImageBrushFromRGBA32(const unsigned char* pixels, int width, int height);
/* A strip of square frames (height x height); the source becomes one frame,
 * chosen by MVE_CopyFromImageBrushArray as frame trunc(frames * t). */
MVE_API void MVE_LoadImageBrushArray(const char* path);
MVE_API void MVE_CopyFromImageBrushArray(float t);
/* Full size x full size source of one opaque colour; recolour keeping alpha. */
MVE_API void MVE_FillImageBrush(int r, int g, int b);
MVE_API void MVE_ColorImageBrush(int r, int g, int b);
/* Full size x full size source from the current blend buffer. */
MVE_API void MVE_CopyToImageBrush(void);
/* Resamples the source to full size x full size. */
MVE_API void MVE_SizeImageBrush(void);
/* Sizes, then mixes the brush into the current blend buffer: 0 % copies the
 * brush, 100 % keeps the buffer. */
MVE_API void MVE_CopyFromImageBrush(int percent);
/* Turns an 8-bit copy of the sized brush clockwise by degrees, and mixes it
 * into the current blend buffer by the same percent rule. */
MVE_API void MVE_RotateImageBrush(int degrees);
MVE_API void MVE_CopyFromImageBrushRotate(int percent);
/* Writes the source as an RGBA PNG at 2834 pixels per metre. */
MVE_API void MVE_SaveImageBrush(const char* path);

/* ==== END image brushes ==== */

/* ==== BEGIN tablet ==== */

/* Pen input through a tablet driver library loaded on first use (see
 * morvane/tablet_driver.h). Without a driver, a pen or a display every call
 * returns 0; pressure then keeps its stored value. */
/* Opens the context for the host's window (an X window id on X11, may be null):
 * non-zero on success, 0 when the driver, the pen or the context is missing. */
MVE_API int MVE_InitTablet(void* window);
/* Stores the screen position of the window's client area: non-zero on success. */
MVE_API int MVE_SetTabletOrigin(void);
MVE_API int MVE_CloseTablet(void);
/* Last pressure 10; drops the queued packets and returns how many. */
MVE_API int MVE_ResetTabletPressure(void);
/* Reads the packets queued since the last read into the 256-packet buffer: the count. */
MVE_API int MVE_ReadTabletPackets(void);
/* Pressure 1..100 of packet index; without a packet the last pressure, which then
 * rises by 25 per call up to 100 (10, 35, 60, 85, 100 after a reset). */
MVE_API int MVE_ReadTabletPressure(int index);
/* trunc(raw pressure * 100 / axis range) of the buffer's packet index. */
MVE_API int MVE_ReadRawTabletPressure(int index);
/* 1 when the packet came from the eraser end (status bit 0x10). */
MVE_API int MVE_IsPacketInvert(int index);
MVE_API unsigned int MVE_PacketStatus(int index);
/* Packet position relative to the client origin. */
MVE_API int MVE_ReadTabletX(int index);
MVE_API int MVE_ReadTabletY(int index);
/* The driver library to load (a path); null or "" returns to the default order:
 * the environment variable MVE_TABLET_DRIVER, then libmorvane-tablet-xi2.so beside
 * the engine library. Choosing another driver closes the context. */
MVE_API void MVE_SetTabletDriver(const char* path);

/* ==== END tablet ==== */

/* ==== BEGIN processing buffers and geometry ==== */

/* Canvas-sized buffers: an allocation keeps a buffer of the right byte size and
   replaces any other; the source buffers are then filled from the current layer. */
MVE_API void MVE_IPLAllocSrcBuffer32(void);
/* Refills an existing Src32 from the current layer. */
MVE_API void MVE_IPLUpdateSrcBuffer32(void);
MVE_API void MVE_IPLSetSrcBuffer32(const unsigned char* rgba);
MVE_API void MVE_ApplyMaskToAlpha_IPLSrcRGBA(void);
MVE_API void MVE_IPLFreeSrcBuffer32(void);
MVE_API void MVE_IPLAllocDstBuffer32(void);
MVE_API void MVE_IPLSetDstBuffer32(const unsigned char* rgba);
MVE_API void MVE_IPLFreeDstBuffer32(void);
MVE_API void MVE_IPLAllocSrcBuffer24(void);
MVE_API void MVE_IPLFreeSrcBuffer24(void);
MVE_API void MVE_IPLAllocDstBuffer24(void);
MVE_API void MVE_IPLFreeDstBuffer24(void);
MVE_API void MVE_ToolAllocSrcBuffer32(void);
MVE_API void MVE_ToolFreeSrcBuffer32(void);
MVE_API void MVE_ToolAllocDstBuffer32(void);
MVE_API void MVE_ToolFreeDstBuffer32(void);
/* Work buffers 0..3; other indices do nothing. */
MVE_API void MVE_IPLAllocWrkBuffer(int index);
MVE_API void MVE_IPLFreeWrkBuffer32(int index);
MVE_API void MVE_IPLFreeAllWrkBuffer32(void);

/* Starts the image libraries and ImageMagick; MVE_IPLExit stops them. */
MVE_API void MVE_IPLInit(int ignored);
MVE_API void MVE_IPLExit(void);

/* Geometry of every user layer (1..layer count); the Trace layer is untouched.
   The host calls MVE_NewSize afterwards. Filter names: "Area Average",
   "Nearest Neighbor", "Bilinear", "Bicubic", "Box", "Triangle", "Hamming",
   "Gaussian", "Bell", "B-Spline", "Cubic 1", "Cubic 2", "Lanczos3", "Sinc",
   "Hermite", "Hanning", "Catrom", "Adaptive", "Mitchell"; others as "Lanczos3". */
MVE_API void MVE_IPLResize(int newWidth, int newHeight, const char* filterName);
/* Content-aware change of the width; the mask (when enabled) marks what to keep. */
MVE_API void MVE_IPLSeamCarvingRGBA(int newWidth, int newHeight, int ignored);
/* Anchors "TL", "TC", "TR", "ML", "MC", "MR", "BL", "BC", "BR"; layer 1 gets (r, g, b). */
MVE_API void MVE_IPLResizePage(int newWidth, int newHeight, const char* anchor, int r, int g, int b);
/* Right and bottom exclusive; a rectangle outside the canvas changes nothing. */
MVE_API void MVE_IPLCrop(int left, int top, int right, int bottom);
MVE_API void MVE_IPLRotateLeft(void);
MVE_API void MVE_IPLRotateRight(void);
MVE_API void MVE_IPLFlipHorizontal(void);
MVE_API void MVE_IPLFlipVertical(void);

/* Src32 moved by (dx, dy) into Dst32 and merged over the current layer. edgeMode 0:
   uncovered pixels transparent; 1 wrap around; 2 repeat the edge; 3 mirror; other
   values fill with (r, g, b, a). */
MVE_API void MVE_IPLPan(int dx, int dy, int edgeMode, int r, int g, int b, int a, bool applyMask);
/* Pushes what lies at (x1, y1) in Src32 to (x2, y2) and loads the result. */
MVE_API void MVE_WarpPointToPoint(int x1, int y1, int x2, int y2, int maskFlag);
/* Blur of radius amount / 5 mixed in by percent. */
MVE_API void MVE_BlurMoreBufferRGB24(unsigned char* rgb, int width, int height, int amount, int percent);

/* ==== END processing buffers and geometry ==== */

/* ==== BEGIN built-in effects ==== */

/* The host's direct entry to the built-in named effects ("Box Blur", "Value Blur",
 * "Grayscale", ...) on its own width x height RGBA32 buffer, changed in place.
 * p1..p4 are the effect's first four reals (0.0..1.0); the other parameters are 0.
 * Nothing is written into the layers; mask effects reach the Mask only when it has
 * the buffer's size. Returns 1 when the name is a built-in effect, else 0. */
MVE_API int MVE_IPLRunBuiltinEffect(const char* name, unsigned char* rgba32, int width, int height, double p1,
                                    double p2, double p3, double p4);

/* ==== END built-in effects ==== */

/* ==== BEGIN effect dispatcher ==== */

/* Applies the effect named effectName (exact, case-sensitive) to the current layer.
 * seed 0 draws a seed; p1..p6 are the main parameters (slider 0..1000, read as
 * pN * 0.1), i1..i8 integer options, r, g, b a colour and text a file path for the
 * effects that read one. Src32 and Dst32 must have been allocated: without them 0 is
 * returned and nothing happens. Otherwise 1, also for an unknown name (nothing
 * changes) and after a failure ("IPLImageProc Excpt"). Every call frees the RGB24
 * buffers and marks the whole canvas dirty for the next undo save. */
MVE_API int MVE_IPLImageProcess(int ignored, const char* effectName, int seed, int p1, int p2, int p3, int p4,
                                int p5, int p6, int i1, int i2, int i3, int i4, int i5, int i6, int i7, int i8,
                                int r, int g, int b, const char* text);
/* The number of registered effects, and entry `index` of the registry: its name (null
 * outside 0..count-1), its family label and its write-back pattern ("R1".."R5", "M",
 * "W", "I" or "own"), both texts owned by the engine. family and pattern may be null. */
MVE_API int MVE_IPLEffectCount(void);
MVE_API const char* MVE_IPLEffectInfo(int index, const char** family, const char** pattern);

/* ==== END effect dispatcher ==== */

/* ==== BEGIN image files and staging image ==== */

/* The staging image: one RGBA32 picture that the readers and the scanner fill. */
MVE_API void MVE_DeleteNewRGBA(void);
/* Its size: the last size set, also after deletion. */
MVE_API int MVE_GetNewRGBAWidth(void);
MVE_API int MVE_GetNewRGBAHeight(void);
/* 1 if any pixel's alpha is not 255; 0 if all are 255 or there is no picture. */
MVE_API int MVE_IsNewRGBA32Transparent(void);
/* Loads the staging image into the current layer at (0, 0). */
MVE_API void MVE_SetInNewRGBA(void);
/* width * height * 4 bytes. */
MVE_API void MVE_GetNewRGBA32(unsigned char* destination);
/* Packed R, G, B (width * 3 bytes a row). */
MVE_API void MVE_GetNewRGBA24(unsigned char* destination);
/* B, G, R; each row starts rowStep bytes after the previous one. */
MVE_API void MVE_GetNewBGR24(unsigned char* destination, int rowStep);
/* Resampled to width x height, packed R, G, B. */
MVE_API void MVE_GetResizedNewRGBA24(unsigned char* destination, int width, int height);

/* Readers: 1 on success, 0 otherwise. Pictures above 268 435 456 pixels (or
 * 65 535 on a side) are refused from their header. */
/* PNG, JPEG, TIFF, BMP, GIF, PSD, PCX, WebP and TGA into the staging image. */
MVE_API int MVE_ReadFromFile(const char* path);
/* Into a host buffer, only when the picture is exactly width x height. */
MVE_API int MVE_ReadFromFileRGB24(unsigned char* destination, int width, int height, const char* path);
MVE_API int MVE_ReadFromFileRGBA32(unsigned char* destination, int width, int height, const char* path);
/* Anything ImageMagick reads, into the staging image (two names of one operation). */
MVE_API int MVE_ReadFromFileRAW(const char* path);
MVE_API int MVE_ImportFromFile(const char* path);
/* Camera raw (DNG and others) into the staging image. */
MVE_API int MVE_ReadFromFileRAW_OLD(const char* path);
/* Header resolution: 72, 96, 150, 200, 300, 450 or 600 dots per inch. */
MVE_API int MVE_GetDPIFromFile(const char* path);
/* PNG header size; 0 for other files. */
MVE_API int MVE_GetWidthFromPNG(const char* path);
MVE_API int MVE_GetHeightFromPNG(const char* path);

/* Scanner: availability, source selection and one acquisition into the staging image. */
MVE_API int MVE_IsTwain(void);
MVE_API int MVE_TwainSelectSource(void);
MVE_API int MVE_TwainAcquire(void);

/* Writers, by extension (any case): RGB24 ".bmp", ".png", ".gif", ".jpg", ".pcx",
 * ".psd"; RGBA32 ".png", ".tga", ".tif". 1 when written. A save goes to a
 * temporary beside the target first: a failed save leaves an existing file intact. */
MVE_API int MVE_WriteToFileRGB24(const unsigned char* pixels, int width, int height, const char* path,
                                 const char* extension, int dpi);
MVE_API int MVE_WriteToFileRGBA32(const unsigned char* pixels, int width, int height, const char* path,
                                  const char* extension, int dpi);
/* Quality (1..100) of the JPEGs the two writers above and the page save write;
 * any other value restores the standard 97. An addition of this library. */
MVE_API void MVE_SetWriteJPGQuality(int quality);
/* The composite of the visible layers: RGB24 ".bmp", ".png", ".jpg"; RGBA32 ".png", ".tga", ".tif". */
MVE_API int MVE_SavePageToFileRGB24(const char* path, const char* extension, int dpi);
MVE_API int MVE_SavePageToFileRGB32(const char* path, const char* extension, int dpi);
/* A BMP inside size x size (transparent parts white). Returns 0. */
MVE_API int MVE_MakeThumbnail(const char* source, const char* destination, int size);
/* A quality-75 JPEG within maxWidth x maxHeight. Returns 0. */
MVE_API int MVE_MakeWebPic(const char* source, const char* destination, int maxWidth, int maxHeight);

/* ==== END image files and staging image ==== */

#ifdef __cplusplus
}
#endif

#endif /* MORVANE_MORVANE_H */
