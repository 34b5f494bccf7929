// Carries the program's version resource and icon for the test that reads
// them back; the Qt program itself is not cross-built here.
#include "platform/win32/windows_api.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return 0;
}
