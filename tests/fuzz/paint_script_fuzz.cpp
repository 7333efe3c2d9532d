// libFuzzer target: the paint-script reader of mve on arbitrary text. Any
// input must parse or fail with a line inside the text; a parsed script's
// commands must carry exactly the argument count their keyword asks for.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "paint_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 64 * 1024) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    mve_host::PaintScript script;
    mve_host::ScriptError error;
    std::size_t lines = 1;
    for (char c : text) lines += c == '\n';
    if (!mve_host::parse_paint_script(text, script, error)) {
        if (error.line < 1 || static_cast<std::size_t>(error.line) > lines + 1 || error.message.empty()) std::abort();
        return 0;
    }
    std::vector<mve_host::ArgKind> kinds;
    for (const auto& c : script.commands) {
        if (!mve_host::script_command_args(c.keyword, kinds) || kinds.size() != c.text.size() ||
            c.numbers.size() != c.text.size())
            std::abort();
    }
    return 0;
}
