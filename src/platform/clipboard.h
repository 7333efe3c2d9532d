// The system clipboard for pictures. When an X display can be opened the
// engine owns the CLIPBOARD selection: a service thread answers requests for
// the picture (image/png, and image/bmp made on request) and reading asks the
// owner for image/png, then image/bmp, then image/jpeg. Without a display the
// picture stays in the process (an in-process clipboard). Only encoded bytes
// pass through here; encoding and decoding belong to the exchange layer.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
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

// What the engine puts on the clipboard: the offering layer keeps its
// picture and makes the encodings. Each is made on the first request for it
// (copying within the engine needs none) and kept while the offer stands;
// both may be asked for from any thread.
class ClipboardOffer {
public:
    virtual ~ClipboardOffer() = default;
    // The picture as PNG; empty when it could not be made.
    const std::vector<std::uint8_t>& png() const;
    // A BMP copy for programs that ask only for image/bmp; empty when none.
    const std::vector<std::uint8_t>& bmp() const;

protected:
    virtual std::vector<std::uint8_t> make_png() const = 0;
    virtual std::vector<std::uint8_t> make_bmp() const = 0;

private:
    mutable std::once_flag pngMade_, bmpMade_;
    mutable std::vector<std::uint8_t> png_, bmp_;
};

enum class ClipboardFormat { Png, Bmp, Jpeg };

// What a read found: another program's bytes, or our own offer (then no
// bytes: the offering layer takes its picture from the offer).
struct ClipboardContent {
    std::vector<std::uint8_t> bytes;
    ClipboardFormat format = ClipboardFormat::Png;
    std::shared_ptr<const ClipboardOffer> own;
};

enum class ReadResult {
    Ok,      // content holds the picture
    Empty,   // nobody holds a picture
    Failed,  // the owner did not answer in time, sent too much, or the display went away
};

// Puts the offer on the clipboard (the X selection, or the in-process store).
// False when a display is open but the selection could not be taken.
bool offer_clipboard(PlatformState& p, std::shared_ptr<const ClipboardOffer> offer);

// Reads the clipboard's picture. While the selection is ours (the server
// names our window as its owner) our own offer is returned, without a
// transfer through the server.
ReadResult read_clipboard(PlatformState& p, ClipboardContent& out);

// Stops the service thread (the selection is given up), joins it and closes
// both display connections (the service's and the reader's); the in-process
// store is kept. The next offer starts a new service.
void stop_clipboard_service(PlatformState& p) noexcept;

// True while a service thread owns the selection on an X display.
bool clipboard_service_running(const PlatformState& p) noexcept;

// Tests only: never open a display, keep the picture in the process.
void set_clipboard_in_process_only(PlatformState& p, bool on) noexcept;

}  // namespace mve::platform
