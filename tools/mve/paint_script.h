// Paint scripts (.srp), the line-oriented files a Lua filter records with its
// paint_ functions and a paint program plays back: a six-line header
// ("1554", "Description", "1", " ", "RandomSeed", seed), then commands, each
// a keyword line followed by its argument lines, and "ScriptEnd". Lines end
// with CR LF or LF. This file only reads the text; paint_player.h performs it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mve_host {

enum class ArgKind { Number, Text };

struct ScriptCommand {
    std::string keyword;
    int line = 0;                    // of the keyword, from 1
    std::vector<std::string> text;   // every argument as written
    std::vector<double> numbers;     // the same, parsed (0 for text arguments)
};

struct PaintScript {
    double seed = 0;
    bool ended = false;  // "ScriptEnd" was reached (a run that stopped early leaves it out)
    std::vector<ScriptCommand> commands;
};

struct ScriptError {
    int line = 0;
    std::string message;
};

// The argument kinds of a keyword; false for a keyword the format does not have.
bool script_command_args(std::string_view keyword, std::vector<ArgKind>& kinds);

// Reads a whole script. Stops at the first fault with its line: a wrong
// header, an unknown keyword, a missing or non-numeric argument (numbers
// must be finite and within +-1e9), or text after "ScriptEnd".
bool parse_paint_script(std::string_view text, PaintScript& script, ScriptError& error);

}  // namespace mve_host
