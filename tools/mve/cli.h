// The command line of mve: every subcommand registers a setup function that
// adds itself (options, positionals, help text) to the one CLI11 application,
// and an action that runs when it was chosen. Failures print one line on
// standard error that names the subcommand and carries the engine's last
// error text when there is one.
#pragma once

#include <CLI/CLI.hpp>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace mve_host {

using CommandSetup = void (*)(CLI::App& mve);

// Registers a subcommand's setup at static-initialisation time; returns true.
bool register_command(CommandSetup setup);

// The action of a chosen subcommand; its result is the exit code. The
// engine's last error is cleared before it runs.
void on_run(CLI::App* sub, std::function<int()> action);

// Prints "mve COMMAND: message" (plus " (engine: TEXT)" when the engine
// recorded an error) on standard error; returns 1, the failure exit code.
int fail(const std::string& command, const char* format, ...) __attribute__((format(printf, 2, 3)));

// True when --quiet was given.
bool quiet();

// A progress line on standard error for work that takes more than a second:
// nothing at all in the first second, when standard error is not a terminal
// or with --quiet; then "mve WHAT: 3 s, 45%" rewritten in place twice a
// second. A fraction below zero (the default) shows the time only, for one
// long engine call. The line is erased when the Progress ends.
class Progress {
public:
    explicit Progress(std::string what);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;
    void set_fraction(double f) { fraction_.store(f); }

private:
    void tick();
    std::string what_;
    std::atomic<double> fraction_{-1};
    std::atomic<bool> done_{false};
    bool shown_ = false;
    std::chrono::steady_clock::time_point start_;
    std::thread ticker_;
};

// Lower-case extension with its dot (".png"), empty when there is none.
std::string extension_of(const std::string& path);

// Writes a file beside the target under a temporary name and renames it over
// the target only when write(temporaryPath) succeeded, so a failure never
// leaves a partial file. The temporary name keeps the target's extension,
// since the engine's writers choose the format by it.
bool write_atomically(const std::string& target, const std::function<bool(const std::string&)>& write);

}  // namespace mve_host

#define MVE_COMMAND(fn) static const bool mve_command_registered_##fn = ::mve_host::register_command(fn)
