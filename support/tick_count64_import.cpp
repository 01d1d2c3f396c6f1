// The import slot through which the thread runtime (winpthreads) calls
// GetTickCount64, filled by the program itself. Linked as an object of its
// own, before the runtime libraries are searched, so the linker takes this
// definition and the exe does not import the function: Windows XP's loader
// refuses a program that imports a function its kernel32 lacks.
#include "tick_count64.h"

#if defined(__i386__)
#define OVN_TICK_COUNT64_IMPORT "__imp__GetTickCount64@0"
#else
#define OVN_TICK_COUNT64_IMPORT "__imp_GetTickCount64"
#endif

extern "C" {
ULONGLONG(WINAPI* ovn_tick_count64_import)() __asm__(OVN_TICK_COUNT64_IMPORT) = tick_count64;
}
