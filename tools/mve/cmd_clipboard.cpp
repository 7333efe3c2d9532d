// mve clipboard copy IN / mve clipboard paste OUT: pictures to and from the
// system clipboard through the engine. On X11 the engine owns the CLIPBOARD
// selection only while this process lives, so copy stays for --hold seconds
// answering other programs; without a display the clipboard lives inside the
// process, and copy then paste work within one call (copy --paste-to OUT).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli.h"
#include "demo.h"
#include "morvane/morvane.h"

namespace mve_host {

namespace {

struct ClipboardArgs {
    std::string in, out, pasteTo;
    int hold = 0;
    int dpi = 72;
};

int paste(const std::string& out, int dpi)
{
    const std::string ext = extension_of(out);
    if (ext != ".png" && ext != ".tga" && ext != ".tif")
        return fail("clipboard", "paste writes .png, .tga or .tif, not %s", out.c_str());
    bool empty = false;
    const bool ok = write_atomically(out, [&](const std::string& temp) {
        const bool written = MVE_FromClipboardToFile(temp.c_str(), ext.c_str(), dpi) == 1;
        empty = !written;
        return written;
    });
    if (!ok) return fail("clipboard", empty ? "the clipboard holds no picture" : "cannot write %s", out.c_str());
    std::printf("clipboard -> %s\n", out.c_str());
    return 0;
}

int copy(const ClipboardArgs& a)
{
    if (MVE_ToClipboardFromFile(a.in.c_str()) != 1) return fail("clipboard", "cannot read %s", a.in.c_str());
    std::printf("%s -> clipboard (%dx%d)\n", a.in.c_str(), MVE_GetNewRGBAWidth(), MVE_GetNewRGBAHeight());
    MVE_DeleteNewRGBA();
    if (!a.pasteTo.empty()) return paste(a.pasteTo, a.dpi);
    if (a.hold > 0) {
        std::fflush(stdout);
        Progress progress("clipboard: holding the picture");
        sleep(static_cast<unsigned>(a.hold));
    }
    return 0;
}

void setup_clipboard(CLI::App& mve)
{
    static ClipboardArgs a;
    auto* sub = mve.add_subcommand("clipboard", "Put a picture on the clipboard, or write the clipboard's picture");
    sub->require_subcommand(1);
    auto* c = sub->add_subcommand("copy", "Put a picture file on the clipboard");
    c->add_option("IN", a.in, "Picture file")->required();
    c->add_option("--hold", a.hold,
                  "Seconds to stay answering other programs (X11 keeps the picture only while mve runs)")
        ->check(CLI::Range(0, 86400));
    c->add_option("--paste-to", a.pasteTo, "Read the clipboard back into this file at once (works without a display)");
    on_run(c, [] { return copy(a); });
    auto* p = sub->add_subcommand("paste", "Write the clipboard's picture to a file (.png, .tga, .tif)");
    p->add_option("OUT", a.out, "Output file")->required();
    p->add_option("--dpi", a.dpi, "Resolution written")->check(CLI::PositiveNumber);
    on_run(p, [] { return paste(a.out, a.dpi); });
}

}  // namespace

MVE_COMMAND(setup_clipboard);

}  // namespace mve_host
