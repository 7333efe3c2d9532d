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
 * shapes, textures, blend buffers, image brushes, processing and geometry.
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
/* ==== END run-length codecs and compressed layer blocks ==== */

/* ==== BEGIN undo and fade ==== */

MVE_API void MVE_ClearUndo(void);
MVE_API int MVE_CanUndo(void);
MVE_API int MVE_CanRedo(void);
/* Frees the oldest steps until at least kb kilobytes are released. */
MVE_API void MVE_ReduceUndo(int kb);
MVE_API void MVE_EndFade(void);

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
/* ==== END masks ==== */

/* ==== BEGIN brush settings and tools ==== */
/* ==== END brush settings and tools ==== */

/* ==== BEGIN view ==== */
/* ==== END view ==== */

/* ==== BEGIN dabs ==== */
/* ==== END dabs ==== */

/* ==== BEGIN brush shapes ==== */
/* ==== END brush shapes ==== */

/* ==== BEGIN textures ==== */

/* Builds the paper texture from a layer's luminance; returns the canvas width, 0 on failure. */
MVE_API int MVE_CreateTexture(int layer);
MVE_API void MVE_DeleteTexture(void);
/* ==== END textures ==== */

/* ==== BEGIN blend buffers ==== */

MVE_API int MVE_SetBlendBufferCount(int count);

/* ==== END blend buffers ==== */

/* ==== BEGIN image brushes ==== */
/* ==== END image brushes ==== */

/* ==== BEGIN processing buffers and geometry ==== */
/* ==== END processing buffers and geometry ==== */

#ifdef __cplusplus
}
#endif

#endif /* MORVANE_MORVANE_H */
