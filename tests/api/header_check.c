/* Proves the public header is valid C11 and the library links from C. */
#include <stdio.h>
#include <string.h>

#include "morvane/morvane.h"

int main(void)
{
    MVE_CreateImage(NULL, 4, 3, 8, 0);
    if (MVE_CreateLayer(1, 4, 3) != 1) return 1;
    MVE_SetLastError("from C");
    if (strcmp(MVE_GetLastError(), "from C") != 0) return 2;
    if (MVE_Floor(-2.0f) != -3.0f) return 3;
    if (MVE_GetWidthFromPNG("/nonexistent/none.png") != 0 || MVE_GetDPIFromFile("/nonexistent/none.png") != 72) return 4;
    MVE_DeleteImage();
    puts("header valid as C11");
    return 0;
}
