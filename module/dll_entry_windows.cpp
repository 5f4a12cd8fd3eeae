// The library's load-time entry point, called by the Windows loader on
// process and thread attach and detach.
//
// The module needs nothing done at load: its records are constant data laid
// out by the linker, and the host vector global starts null until mcn_main
// runs.  There is no C runtime to initialise either.  So whatever the
// notification, the entry point does nothing and reports success (nonzero).
// It has the loader's calling convention (__stdcall, three arguments).

#include <cstdint>

extern "C" __attribute__((stdcall)) int32_t dll_entry(void* instance, uint32_t reason,
                                                      void* reserved)
{
    (void)instance;
    (void)reason;
    (void)reserved;
    return 1;
}
