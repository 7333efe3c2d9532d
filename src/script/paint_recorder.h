// The paint-script recorder: a filter's paint_ functions append commands to
// a text file the host application plays back later with its own tools. The
// file is "scripts/luapaint.srp" directly after the start directory (which
// ends with its separator), lines end with CR LF.
#pragma once

#include <cstdio>
#include <string>

#include "script/script_state.h"

namespace mve::script {

// The file name: start directory + "scripts/luapaint.srp", nothing between.
std::string paint_script_path(const char* startDirectory);

// Creates (or truncates) the file and writes the six header lines; an open
// file is closed first. Leaves no file open when creation fails. `seed` is
// the seed argument as text, or null when it was nil (no line).
void open_paint_script(ScriptState& s, const char* startDirectory, const char* seed) noexcept;

// Writes "ScriptEnd" and closes; nothing when no file is open.
void close_paint_script(ScriptState& s) noexcept;

// Closes the file without an end line (the end of a filter run).
void abandon_paint_script(ScriptState& s) noexcept;

// One line with CR LF.
void write_line(std::FILE* f, const char* text) noexcept;

}  // namespace mve::script
