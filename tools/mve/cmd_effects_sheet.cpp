// `mve effects-sheet OUT.png`: every registered effect on the built-in test
// picture, one labelled cell each.
#include <cstdio>

#include "demo.h"
#include "effects_sheet.h"
#include "morvane/morvane.h"

namespace mve_host {

namespace {

int run_effects_sheet(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mve effects-sheet OUT.png\n");
        return 2;
    }
    MVE_IPLInit(0);
    const int drawn = write_effects_sheet(argv[1], registered_effects());
    MVE_IPLExit();
    return drawn < 0 ? 1 : 0;
}

}  // namespace

MVE_COMMAND("effects-sheet", "effects-sheet OUT.png", run_effects_sheet);

}  // namespace mve_host
