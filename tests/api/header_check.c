/* Proves the public header is valid C11 and the library links from C. */
#include <stdio.h>
#include <string.h>

#include "morvane/morvane.h"
#include "morvane/tablet_driver.h"

int main(void)
{
    MVE_CreateImage(NULL, 4, 3, 8, 0);
    if (MVE_CreateLayer(1, 4, 3) != 1) return 1;
    MVE_SetLastError("from C");
    if (strcmp(MVE_GetLastError(), "from C") != 0) return 2;
    if (MVE_Floor(-2.0f) != -3.0f) return 3;
    if (MVE_SetThreadCount(1) != 1 || MVE_GetThreadCount() != 1) return 4;
    if (MVE_GetWidthFromPNG("/nonexistent/none.png") != 0 || MVE_GetDPIFromFile("/nonexistent/none.png") != 72) return 5;
    MVE_DeleteImage();
    /* No tablet context: no packets, and the packet record is 16 bytes. */
    if (MVE_ReadTabletPackets() != 0 || sizeof(MveTabletPacket) != 16) return 6;
    puts("header valid as C11");
    return 0;
}
