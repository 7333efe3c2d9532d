// Demo: the contact sheet of every registered effect. It builds its own
// small canvas, so it runs after every step that uses the demo canvas.
#include "demo.h"
#include "effects_sheet.h"
#include "morvane/morvane.h"

namespace mve_host {

namespace {

bool effects_sheet_step(DemoContext& ctx)
{
    const int drawn = write_effects_sheet(ctx.outDir + "/effects_sheet.png", registered_effects());
    return check(drawn > 0 && drawn == MVE_IPLEffectCount(), "every registered effect on the sheet");
}

}  // namespace

MVE_DEMO_STEP(990, "effects contact sheet", effects_sheet_step);

}  // namespace mve_host
