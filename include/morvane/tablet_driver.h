/*
 * morvane tablet drivers: the interface between the engine and a pen driver.
 *
 * A driver is a shared library that the engine loads at run time (dlopen) on
 * the first tablet call and whose entry points it resolves by name. The five
 * entry points keep the names, arguments and results of the tablet API the
 * engine's host programs were written against (WTInfoA, WTOpenA,
 * WTQueueSizeSet, WTPacketsGet, WTClose); the records use fixed-width fields.
 * A sixth entry point, MveClientToScreen, is optional: it converts a point of
 * the host's window to screen coordinates for MVE_SetTabletOrigin.
 *
 * The engine takes the driver named by MVE_SetTabletDriver, else the one named
 * by the environment variable MVE_TABLET_DRIVER, else libmorvane-tablet-xi2.so
 * (XInput2) in the directory of the engine library itself.
 *
 * Every entry point returns 0 (or null) on failure; a driver that lacks an
 * entry point makes the engine's call return 0.
 */
#ifndef MORVANE_TABLET_DRIVER_H
#define MORVANE_TABLET_DRIVER_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define MVE_TABLET_DRIVER_ENV "MVE_TABLET_DRIVER"
#define MVE_TABLET_XI2_DRIVER "libmorvane-tablet-xi2.so"

/* WTInfoA categories and indices the engine asks for. */
enum {
    MVE_WTI_DEFCONTEXT = 3,   /* index 0: the default context record */
    MVE_WTI_DEVICES = 100,    /* the first device */
    MVE_DVC_NPRESSURE = 15    /* index of its normal-pressure axis (an MveTabletAxis) */
};

/* Packet fields (packet data and move masks) and status bits. */
enum {
    MVE_PK_STATUS = 0x0002,
    MVE_PK_X = 0x0080,
    MVE_PK_Y = 0x0100,
    MVE_PK_NORMAL_PRESSURE = 0x0400,
    MVE_TPS_INVERT = 0x0010,  /* the eraser end of the pen */
    MVE_CXO_SYSTEM = 0x0001   /* context option: a system-cursor context */
};

typedef struct MveTabletAxis {
    int32_t min;
    int32_t max;
    uint32_t units;
    uint32_t resolution;
} MveTabletAxis;

/* The context record: WTInfoA(MVE_WTI_DEFCONTEXT, 0, &record) fills it with the
 * driver's defaults (sysExtX and sysExtY are the screen size in pixels); the
 * engine then sets the fields it needs and passes it to WTOpenA. */
typedef struct MveTabletContext {
    char name[40];
    uint32_t options, status, locks, msgBase, device, pktRate;
    uint32_t pktData, pktMode, moveMask, btnDnMask, btnUpMask;
    int32_t inOrgX, inOrgY, inOrgZ, inExtX, inExtY, inExtZ;
    int32_t outOrgX, outOrgY, outOrgZ, outExtX, outExtY, outExtZ;
    uint32_t sensX, sensY, sensZ;
    int32_t sysMode;
    int32_t sysOrgX, sysOrgY, sysExtX, sysExtY;
    uint32_t sysSensX, sysSensY;
} MveTabletContext;

/* One packet of the engine's layout (packet data 0x582): 16 bytes. Positions
 * are screen pixels, y growing downward; pressure is the raw axis value. */
typedef struct MveTabletPacket {
    uint32_t status;
    int32_t x;
    int32_t y;
    uint32_t pressure;
} MveTabletPacket;

/* Bytes written to output, 0 when the category or index is unknown. */
typedef unsigned (*MveWTInfoAFn)(unsigned category, unsigned index, void* output);
/* A context handle, or null when the context is refused. */
typedef void* (*MveWTOpenAFn)(void* window, MveTabletContext* context, int enable);
/* Non-zero when the queue now holds that many packets. */
typedef int (*MveWTQueueSizeSetFn)(void* context, int packets);
/* Moves up to maxPackets of the oldest queued packets into packets (or drops
 * them when packets is null) and returns how many. */
typedef int (*MveWTPacketsGetFn)(void* context, int maxPackets, void* packets);
typedef int (*MveWTCloseFn)(void* context);
/* Optional: converts (*x, *y) in the window's client area to the screen. */
typedef int (*MveClientToScreenFn)(void* window, int* x, int* y);

#ifdef __cplusplus
}
#endif

#endif /* MORVANE_TABLET_DRIVER_H */
