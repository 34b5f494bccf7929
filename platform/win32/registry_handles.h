#pragma once

#include "core/ports/registry.h"
#include "platform/win32/windows_api.h"

namespace varno::platform::win32 {

// The predefined roots are 32-bit values that the system sign-extends to a
// pointer: HKEY_LOCAL_MACHINE is 0xFFFFFFFF80000002 in a 64-bit process,
// and the zero-extended 0x80000002 of the interface is no valid handle.
inline HKEY toHkey(RegHandle handle)
{
    if (handle >= 0x80000000u && handle <= 0xFFFFFFFFu)
        return reinterpret_cast<HKEY>(
            static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(handle))));
    return reinterpret_cast<HKEY>(handle);
}

}  // namespace varno::platform::win32
