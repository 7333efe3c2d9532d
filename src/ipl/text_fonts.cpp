// Choosing the text fonts: the host registers a chooser (its own font
// dialog); without one, choosing is "cancelled". A chooser that reports a
// dialog error has the error recorded, the record cleared and is asked once
// more.
#include <cstring>

#include "core/guard.h"
#include "engine/engine.h"
#include "ipl/text_state.h"
#include "morvane/morvane.h"

namespace mve::ipl {

namespace {

const char* dialog_error_text(int code) noexcept
{
    switch (code) {
        case 2:
            return "Font Err: CDERR_INITIALIZATION";
        case 5:
            return "Font Err: CDERR_LOADSTRFAILURE";
        case 6:
            return "Font Err: CDERR_FINDRESFAILURE";
        case 7:
            return "Font Err: CDERR_LOADRESFAILURE";
        case 8:
            return "Font Err: CDERR_LOCKRESFAILURE";
        case 9:
            return "Font Err: CDERR_MEMALLOCFAILURE";
        case 10:
            return "Font Err: CDERR_MEMLOCKFAILURE";
        case 8193:
            return "Font Err: CFERR_NOFONTS";
        case 8194:
            return "Font Err: CFERR_MAXLESSTHANMIN";
        case 65535:
            return "Font Err: CDERR_DIALOGFAILURE";
        default:
            return "Font Err: Other Error";
    }
}

// One run of the chooser on the record; the face name always ends in a NUL
// whatever the chooser wrote.
int ask(const TextState& s, FontRecord& font) noexcept
{
    const int result = s.chooser(font.face, kFaceNameSize, &font.height, s.chooserUser);
    font.face[kFaceNameSize - 1] = '\0';
    return result;
}

}  // namespace

int choose_font(const TextState& s, FontRecord& font) noexcept
{
    if (!s.chooser) return 0;
    // The chooser edits a copy: a cancelled choice leaves the record as it was.
    FontRecord edited = font;
    int result = ask(s, edited);
    if (result < 0) {
        set_last_error(dialog_error_text(-result));
        font = FontRecord{};
        edited = font;
        result = ask(s, edited);
    }
    if (result <= 0) return 0;
    font = edited;
    return result;
}

}  // namespace mve::ipl

using namespace mve;

extern "C" {

MVE_API void MVE_SetFontChooser(ipl::FontChooser chooser, void* user)
{
    engine().text.chooser = chooser;
    engine().text.chooserUser = user;
}

MVE_API int MVE_ChooseFont(void)
{
    return ipl::choose_font(engine().text, engine().text.textFont);
}

MVE_API int MVE_ChooseTextBrushFont(void)
{
    return ipl::choose_font(engine().text, engine().text.brushFont);
}

}  // extern "C"
