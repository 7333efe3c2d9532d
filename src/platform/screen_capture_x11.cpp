// Screen capture of the X root window. With MIT-SHM the server writes the
// picture into a shared segment (one copy, no transfer through the socket);
// otherwise XGetImage sends it over the connection. Either way the pixels
// are converted row by row to RGBA32 with alpha 255.
#if defined(MVE_WITH_X11)

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include "platform/clipboard_x11.h"
#include "platform/screen_capture.h"

namespace mve::platform {

namespace {

void on_io_exit(Display*, void* lost)
{
    *static_cast<bool*>(lost) = true;
}

bool convert_image(const XImage* image, ScreenPicture& out)
{
    const int bpp = image->bits_per_pixel / 8;
    if (image->byte_order != LSBFirst || (bpp != 2 && bpp != 3 && bpp != 4)) return false;
    out.width = image->width;
    out.height = image->height;
    out.rgba.resize(static_cast<std::size_t>(out.width) * out.height * 4);
    for (int y = 0; y < out.height; ++y)
        x_pixels_to_rgba(reinterpret_cast<const std::uint8_t*>(image->data) +
                             static_cast<std::size_t>(y) * image->bytes_per_line,
                         bpp, out.width, image->red_mask, image->green_mask, image->blue_mask,
                         out.rgba.data() + static_cast<std::size_t>(y) * out.width * 4);
    return true;
}

// Through a shared segment; false when the extension or the segment fails.
bool capture_shared(Display* d, Window root, int w, int h, ScreenPicture& out)
{
    if (!XShmQueryExtension(d)) return false;
    const int screen = DefaultScreen(d);
    XShmSegmentInfo info{};
    XImage* image =
        XShmCreateImage(d, DefaultVisual(d, screen), DefaultDepth(d, screen), ZPixmap, nullptr, &info, w, h);
    if (!image) return false;
    bool ok = false;
    info.shmid = shmget(IPC_PRIVATE, static_cast<std::size_t>(image->bytes_per_line) * h, IPC_CREAT | 0600);
    if (info.shmid >= 0) {
        info.shmaddr = image->data = static_cast<char*>(shmat(info.shmid, nullptr, 0));
        info.readOnly = False;
        if (info.shmaddr != reinterpret_cast<char*>(-1)) {
            if (XShmAttach(d, &info)) {
                ok = XShmGetImage(d, root, image, 0, 0, AllPlanes) && convert_image(image, out);
                XShmDetach(d, &info);
                XSync(d, False);
            }
            shmdt(info.shmaddr);
        }
        shmctl(info.shmid, IPC_RMID, nullptr);  // freed once both sides have detached
    }
    image->data = nullptr;
    XDestroyImage(image);
    return ok;
}

bool capture_plain(Display* d, Window root, int w, int h, ScreenPicture& out)
{
    XImage* image =
        XGetImage(d, root, 0, 0, static_cast<unsigned>(w), static_cast<unsigned>(h), AllPlanes, ZPixmap);
    if (!image) return false;
    const bool ok = convert_image(image, out);
    XDestroyImage(image);
    return ok;
}

}  // namespace

bool capture_screen(ScreenPicture& out, CaptureRoute route)
{
    install_x11_error_handler();
    Display* d = XOpenDisplay(nullptr);
    if (!d) return false;
    track_x11_display(d, true);
    bool lost = false;
    XSetIOErrorExitHandler(d, on_io_exit, &lost);
    const int screen = DefaultScreen(d);
    const Window root = RootWindow(d, screen);
    const int w = DisplayWidth(d, screen), h = DisplayHeight(d, screen);
    bool ok = route == CaptureRoute::Any && capture_shared(d, root, w, h, out);
    if (!ok && !lost) ok = capture_plain(d, root, w, h, out);
    close_x11_display(d, lost);
    return ok && !lost;
}

}  // namespace mve::platform

#endif  // MVE_WITH_X11
