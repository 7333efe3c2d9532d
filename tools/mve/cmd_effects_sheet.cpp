// `mve effects-sheet OUT.png`: every registered effect on the built-in test
// picture, one labelled cell each.
#include <cstdio>
#include <string>

#include "cli.h"
#include "demo.h"
#include "effects_sheet.h"
#include "morvane/morvane.h"

namespace mve_host {

namespace {

int run_effects_sheet(const std::string& out)
{
    MVE_IPLInit(0);
    int drawn;
    {
        Progress progress("effects-sheet");
        drawn = write_effects_sheet(out.c_str(), registered_effects());
    }
    MVE_IPLExit();
    return drawn < 0 ? fail("effects-sheet", "cannot draw or write %s", out.c_str()) : 0;
}

void setup_effects_sheet(CLI::App& mve)
{
    static std::string out;
    auto* sub = mve.add_subcommand("effects-sheet", "Every registered effect on the test picture, one labelled cell each");
    sub->add_option("OUT", out, "Output PNG")->required();
    on_run(sub, [] { return run_effects_sheet(out); });
}

}  // namespace

MVE_COMMAND(setup_effects_sheet);

}  // namespace mve_host
