// Tablet input: one context on a pen driver loaded at run time, the packets
// queued since the last read, and pressure with its ramp for reads without a
// packet. Every function works on the record it is given.
#pragma once

#include <string>

#include "tablet/tablet_state.h"

namespace mve::tablet {

// Driver library -----------------------------------------------------------

// The library to load: the host's choice, else the environment's, else our
// XInput2 driver in libraryDir. Empty when none can be named.
std::string choose_driver_path(const std::string& hostPath, const char* envPath, const std::string& libraryDir);
// The directory of the file this engine code was loaded from.
std::string engine_directory();
// Records the host's choice; a different choice closes the context and
// unloads the current driver so that the next call loads the new one.
void set_driver_path(TabletState& s, const char* path);
// Closes the context, frees the library and forgets every resolved entry.
void unload_driver(TabletState& s) noexcept;

// The entry points: each loads the library and resolves its entry on first
// use, and returns 0 (null) when either is missing.
unsigned driver_info(TabletState& s, unsigned category, unsigned index, void* output);
void* driver_open(TabletState& s, void* window, MveTabletContext* context, int enable);
int driver_queue_size_set(TabletState& s, void* context, int packets);
int driver_packets_get(TabletState& s, void* context, int maxPackets, void* packets);
int driver_close(TabletState& s, void* context);
int driver_client_to_screen(TabletState& s, void* window, int* x, int* y);

// Context -------------------------------------------------------------------

// Opens the context for window: non-zero on success, 0 when the driver, the
// pressure axis or the context is missing.
int init_tablet(TabletState& s, void* window);
int close_tablet(TabletState& s);
int set_tablet_origin(TabletState& s);
// Last pressure 10; drops up to 1000 queued packets and returns how many.
int reset_tablet_pressure(TabletState& s);
// Reads the queued packets into the buffer; returns the count (0..256).
int read_tablet_packets(TabletState& s);

// Packets of the last read ----------------------------------------------------

// Pressure 1..100 of packet i, or the last pressure (ramping by 25 per read
// with a context) when i names no packet.
int read_tablet_pressure(TabletState& s, int i);
int read_raw_tablet_pressure(const TabletState& s, int i);
int is_packet_invert(const TabletState& s, int i);
unsigned packet_status(const TabletState& s, int i);
int read_tablet_x(const TabletState& s, int i);
int read_tablet_y(const TabletState& s, int i);

}  // namespace mve::tablet
