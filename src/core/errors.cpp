#include <cstring>

#include "core/core_state.h"
#include "core/guard.h"
#include "morvane/morvane.h"

namespace mve {

void set_last_error(const char* text) noexcept
{
    char* buffer = core_state().lastError;
    if (!text) text = "";
    // At most 511 characters are kept; the last byte always stays 0.
    std::strncpy(buffer, text, kLastErrorSize - 1);
    buffer[kLastErrorSize - 1] = 0;
}

}  // namespace mve

extern "C" {

MVE_API void MVE_SetLastError(const char* text) { mve::set_last_error(text); }

MVE_API const char* MVE_GetLastError(void)
{
    return mve::core_state().lastError;
}

}  // extern "C"
