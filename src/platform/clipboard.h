// The system clipboard for pictures. When an X display can be opened the
// engine owns the CLIPBOARD selection: a service thread answers requests for
// the picture (image/png, and image/bmp made on request) and reading asks the
// owner for image/png, then image/bmp, then image/jpeg. Without a display the
// picture stays in the process (an in-process clipboard). Only encoded bytes
// pass through here; encoding and decoding belong to the exchange layer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/platform_state.h"

namespace mve::platform {

// How long a reader waits for the owner to answer one step (the reply to a
// conversion, or the next piece of an incremental transfer) before it gives
// up, and how long the service thread keeps an unfinished incremental
// transfer to a reader that stopped taking pieces.
inline constexpr int kClipboardTimeoutMs = 3000;
// Largest picture accepted from another program, encoded.
inline constexpr std::size_t kMaxClipboardBytes = std::size_t(512) << 20;

// What the engine puts on the clipboard: the picture as PNG, and an optional
// maker of a BMP copy (from the PNG) for programs that ask only for image/bmp.
struct ClipboardOffer {
    std::vector<std::uint8_t> png;
    std::function<std::vector<std::uint8_t>(const std::vector<std::uint8_t>& png)> makeBmp;
};

enum class ClipboardFormat { Png, Bmp, Jpeg };

struct ClipboardContent {
    std::vector<std::uint8_t> bytes;
    ClipboardFormat format = ClipboardFormat::Png;
};

enum class ReadResult {
    Ok,      // content holds the picture
    Empty,   // nobody holds a picture
    Failed,  // the owner did not answer in time, sent too much, or the display went away
};

// Puts the offer on the clipboard (the X selection, or the in-process store).
// False when a display is open but the selection could not be taken.
bool offer_clipboard(PlatformState& p, std::shared_ptr<const ClipboardOffer> offer);

// Reads the clipboard's picture. Our own offer is returned without a round
// trip through the server.
ReadResult read_clipboard(PlatformState& p, ClipboardContent& out);

// Stops the service thread (the selection is given up) and joins it; the
// in-process store is kept. The next offer starts a new service.
void stop_clipboard_service(PlatformState& p) noexcept;

// True while a service thread owns the selection on an X display.
bool clipboard_service_running(const PlatformState& p) noexcept;

// Tests only: never open a display, keep the picture in the process.
void set_clipboard_in_process_only(PlatformState& p, bool on) noexcept;

}  // namespace mve::platform
