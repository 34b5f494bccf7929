#pragma once

// <windows.h> for the files that talk to the system. Its MessageBox macro
// would rename the platform::MessageBox class in any file that also sees
// message_box.h, so it goes.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#undef MessageBox
