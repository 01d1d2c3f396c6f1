#include "platform.h"

#include <windows.h>

bool is_64bit_windows() {
    // Looked up at run time: kernel32 of older systems lacks the entry.
    using native_info_fn = void(WINAPI*)(LPSYSTEM_INFO);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (!kernel) return false;
    auto get_native_info =
        reinterpret_cast<native_info_fn>(reinterpret_cast<void*>(::GetProcAddress(kernel, "GetNativeSystemInfo")));
    if (!get_native_info) return false;
    SYSTEM_INFO info{};
    get_native_info(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
           info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
}

bool is_vista_or_later() {
    OSVERSIONINFOW basic{};
    basic.dwOSVersionInfoSize = sizeof(basic);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(&basic)) return false;
#pragma GCC diagnostic pop
    if (basic.dwPlatformId == VER_PLATFORM_WIN32s || basic.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) return false;

    OSVERSIONINFOEXW wanted{};
    wanted.dwOSVersionInfoSize = sizeof(wanted);
    wanted.dwMajorVersion = 6;
    wanted.dwMinorVersion = 0;
    DWORDLONG condition = 0;
    condition = ::VerSetConditionMask(condition, VER_MAJORVERSION, VER_GREATER_EQUAL);
    condition = ::VerSetConditionMask(condition, VER_MINORVERSION, VER_GREATER_EQUAL);
    return ::VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION, condition) != FALSE;
}
