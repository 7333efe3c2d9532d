// The brush-settings record read by the dab rasteriser, the brush-shape
// builder and the blend buffers. One instance lives in the engine record,
// zero-initialised at load; only the brush setters write it.
#pragma once

#include <array>
#include <cstdint>

namespace mve {

constexpr int kScaleTableSize = 1000;  // entries of the scale index table, and the largest full size
constexpr int kStartDirSize = 1024;    // bytes of the start directory text, NUL included

struct BrushSettings {
    int fullSize = 0;     // brush diameter in pixels (MVE_SetSize)
    int density = 0;      // MVE_SetDensity argument - 1
    int alpha = 0;        // opacity in percent
    int alphaScaled = 0;  // trunc(alpha * 1.28): 100 % -> 128
    int dabSize = 0;      // side of the dab square drawn; valid entries of scaleIndex
    // Entry i is the brush-shape row or column sampled by dab pixel i.
    std::array<int, kScaleTableSize> scaleIndex = {};

    // Written by MVE_SetTool (its parameter number in brackets).
    float shapeIntensity = 0.0f;        // (1) factor on every shape value
    int gritDotSize = 0;                // (2) side of one grit dot; 0 = no generated grit
    int gritDotThreshold = 0;           // (3) a dot is placed where a random byte is below this
    int gritPixelThreshold = 0;         // (4) a pixel of a placed dot is set where a byte is below this
    std::uint8_t softness = 0;          // (5) soft edge of the round shape, 0..255 = 0..100 % of the radius
    int colorVary = 0;                  // (6) also MVE_SetColorVary
    int drawingLength = 0;              // (7) dabs per grit pattern: the grit countdown reload value
    int blendStrength = 0;              // (8) weight out of 256 of picked-up colour
    int blendPrimaryColorStrength = 0;  // (9) weight out of 256 of the brush colour
    std::uint8_t shapeOption = 0;       // (12) the shape builder's invert flag
    std::uint8_t reservedA = 0;         // (13) stored, read by nothing
    std::uint8_t blendRemix = 0;        // (10) remix flag of the blend buffers
    int reservedB = 0;                  // (11) low byte, zero-extended; read by nothing

    // Paint mix mode (MVE_SetMixMode) and its derived levels.
    int mixMode = 0;
    int mixLevel = 0;
    int mixLevelInverse = 256;  // 256 - level
    int mixLevel10 = 0;         // truncate((L - 127) / 127 * 10)
    int mixLevel16 = 0;         // truncate((L - 127) / 127 * 16)

    int shapeArgument = 0;                     // (16) angle handed on to MVE_SetBrushShape
    int blendStrengthInverse = 0;              // 256 - blendStrength, updated only for strengths > 0
    int blendPrimaryColorStrengthInverse = 0;  // 256 - blendPrimaryColorStrength, likewise

    // One-shot flags, cleared by the next dab and by MVE_SetTool. (The mask
    // maker flag lives with the Mask.)
    std::uint8_t blendDisabledOnce = 0;
    std::uint8_t eraseMode = 0;

    // Four extra brush colours, channel by channel: bankR[k] is bank k's red.
    std::array<std::uint16_t, 4> bankR = {}, bankG = {}, bankB = {}, bankA = {};
    std::array<std::uint16_t, 4> color = {};  // brush colour R, G, B, A (16 bits each)
    int shapeBlur = 0;                        // blur of a loaded shape in percent

    // Second group: one value each, read by the dab rasteriser.
    float rotateCos = 0.0f;
    float rotateSin = 0.0f;
    float rotateRadians = 0.0f;
    int rotateDegrees = 0;
    int rotateOn = 0;
    int solidBrushMode = 0;
    int imageBrushMode = 0;
    int alphaLevel = 0;
    int blobLocked = 0;
    int colorLocked = 0;
    std::uint8_t alphaLocked = 0;  // also read by the renderer and the PaintLayer merge
    // The per-pixel variation amounts (MVE_SetPixColorVary, MVE_SetPixLumVary)
    // live beside their tables in RandomTables.

    // The start directory under which scripts live (MVE_SetStartDir); read
    // through start_directory() in brush/brush_settings.h.
    char startDirectory[kStartDirSize] = {};
};

}  // namespace mve
