// The command-line plumbing of mve (see cli.h).
#include "cli.h"

#include <unistd.h>

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "morvane/morvane.h"

namespace mve_host {

bool g_quiet = false;

bool quiet() { return g_quiet; }

int fail(const std::string& command, const char* format, ...)
{
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    const char* engine = MVE_GetLastError();
    if (engine && engine[0])
        std::fprintf(stderr, "mve %s: %s (engine: %s)\n", command.c_str(), message, engine);
    else
        std::fprintf(stderr, "mve %s: %s\n", command.c_str(), message);
    return 1;
}

Progress::Progress(std::string what) : what_(std::move(what)), start_(std::chrono::steady_clock::now())
{
    if (g_quiet || !isatty(STDERR_FILENO)) return;
    ticker_ = std::thread([this] { tick(); });
}

Progress::~Progress()
{
    done_.store(true);
    if (ticker_.joinable()) ticker_.join();
    if (shown_) std::fprintf(stderr, "\r\033[K");
}

void Progress::tick()
{
    using namespace std::chrono;
    while (!done_.load()) {
        std::this_thread::sleep_for(milliseconds(100));
        const double seconds = duration<double>(steady_clock::now() - start_).count();
        if (seconds < 1 || done_.load()) continue;
        const double f = fraction_.load();
        if (f >= 0)
            std::fprintf(stderr, "\rmve %s: %.0f s, %.0f%%\033[K", what_.c_str(), seconds, f * 100);
        else
            std::fprintf(stderr, "\rmve %s: %.0f s\033[K", what_.c_str(), seconds);
        shown_ = true;
        std::this_thread::sleep_for(milliseconds(400));
    }
}

std::string extension_of(const std::string& path)
{
    const auto dot = path.rfind('.');
    const auto slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && slash > dot)) return {};
    std::string ext = path.substr(dot);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

bool write_atomically(const std::string& target, const std::function<bool(const std::string&)>& write)
{
    const auto slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string temp =
        folder + ".mve-" + std::to_string(getpid()) + "-partial" + extension_of(target);
    const bool ok = write(temp);
    if (ok && std::rename(temp.c_str(), target.c_str()) == 0) return true;
    std::remove(temp.c_str());
    return false;
}

}  // namespace mve_host
