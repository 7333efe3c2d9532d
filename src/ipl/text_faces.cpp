// Opening faces: fontconfig turns a family name into a font file, FreeType
// opens it once and keeps it for later calls.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <map>
#include <string>
#include <utility>

#include "core/guard.h"
#include "ipl/text.h"

namespace mve::ipl {

class FaceCache {
public:
    FaceCache()
    {
        if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
    }
    ~FaceCache()
    {
        for (auto& entry : faces_) FT_Done_Face(entry.second);
        if (library_) FT_Done_FreeType(library_);
    }
    FaceCache(const FaceCache&) = delete;
    FaceCache& operator=(const FaceCache&) = delete;

    FT_Face face(const std::string& family)
    {
        require(library_ != nullptr);
        auto known = byName_.find(family);
        if (known == byName_.end()) known = byName_.emplace(family, match(family)).first;
        const FontFile& file = known->second;
        auto open = faces_.find(file);
        if (open != faces_.end()) return open->second;
        FT_Face face = nullptr;
        require(!file.first.empty() && FT_New_Face(library_, file.first.c_str(), file.second, &face) == 0);
        faces_.emplace(file, face);
        return face;
    }

private:
    using FontFile = std::pair<std::string, int>;  // path, face index

    // The file fontconfig picks for the family; "sans-serif" for an empty one.
    static FontFile match(const std::string& family)
    {
        FontFile found;
        FcPattern* pattern = FcPatternCreate();
        if (!pattern) return found;
        const std::string name = family.empty() ? "sans-serif" : family;
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        if (FcPattern* best = FcFontMatch(nullptr, pattern, &result)) {
            FcChar8* path = nullptr;
            int index = 0;
            if (FcPatternGetString(best, FC_FILE, 0, &path) == FcResultMatch && path) {
                FcPatternGetInteger(best, FC_INDEX, 0, &index);
                found = FontFile{reinterpret_cast<const char*>(path), index};
            }
            FcPatternDestroy(best);
        }
        FcPatternDestroy(pattern);
        return found;
    }

    FT_Library library_ = nullptr;
    std::map<std::string, FontFile> byName_;
    std::map<FontFile, FT_Face> faces_;
};

int font_pixel_size(const FontRecord& font) noexcept
{
    if (font.height == 0) return 16;
    const long magnitude = font.height < 0 ? -static_cast<long>(font.height) : font.height;
    return static_cast<int>(std::min(magnitude, 2048L));
}

FT_Face open_face(TextState& s, const FontRecord& font)
{
    if (!s.faces) s.faces = std::make_shared<FaceCache>();
    const std::string family(font.face, strnlen(font.face, kFaceNameSize));
    FT_Face face = s.faces->face(family);
    require(FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(font_pixel_size(font))) == 0);
    return face;
}

}  // namespace mve::ipl
