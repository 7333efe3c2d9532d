// The parameters of one dispatcher effect as the command line gives them
// (--p1..--p6 sliders, --i1..--i8 integer options, --rgb, --text, --seed),
// shared by `mve effect` and `mve convert --effect`.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace mve_host {

struct EffectCall {
    int p[6] = {};
    int i[8] = {};
    std::vector<int> rgb{0, 0, 0};
    int seed = 0;
    std::string text;
};

// Adds the effect's options to a subcommand; call must outlive the parse.
void add_effect_options(CLI::App* sub, EffectCall& call);

// True when the dispatcher registers an effect of exactly this name.
bool known_effect(const std::string& name);

// Runs the effect on the current layer (its Src32/Dst32 buffers allocated
// here); false with the engine's last error set when it did not run.
bool apply_effect(const std::string& name, const EffectCall& call);

}  // namespace mve_host
