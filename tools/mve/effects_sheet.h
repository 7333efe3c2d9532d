// The effects contact sheet: every named effect of the dispatcher applied to
// one built-in test picture, laid out as a labelled grid.
#pragma once

#include <string>
#include <vector>

namespace mve_host {

// The built-in test picture: a sky-to-ground gradient with a sun, a house,
// stripes and a checker patch, and a transparent lower band holding an
// opaque ball (so effects that follow the alpha, such as glows, show).
std::vector<unsigned char> effects_test_picture(int width, int height);

// The names of every registered effect, in dispatch order.
std::vector<std::string> registered_effects();

// Renders the sheet of `names` to a PNG at path; writes progress lines.
// Returns the number of effects drawn, or -1 when the file could not be written.
int write_effects_sheet(const std::string& path, const std::vector<std::string>& names);

}  // namespace mve_host
