// The file commands of the reference host: `mve convert` and `mve info`.
#pragma once

namespace mve_host {

// mve convert IN OUT [--dpi N] [--quality Q]; returns the exit status.
int run_convert(int argc, char** argv);
// mve info FILE; returns the exit status.
int run_info(int argc, char** argv);

}  // namespace mve_host
