#include "platform.h"

#include <gtest/gtest.h>

#include "test_windows.h"
#include "tick_count64.h"

// Whatever the program's own bitness: a 32-bit launcher on 64-bit Windows
// (WoW64) is on 64-bit Windows.
TEST(Platform, SixtyFourBitWindowsIsTheSystemsNotTheProgramsOwn) {
    EXPECT_EQ(is_64bit_windows(), test_windows::sixty_four_bit);
}

// A fresh test prefix reports Windows 7; the XP prefix reports XP.
TEST(Platform, VistaOrLaterIsTheSystemsVersion) { EXPECT_EQ(is_vista_or_later(), test_windows::vista_or_later); }

// GetTickCount64 for systems without it: 32-bit readings carried on over
// their wraps, readings reported late (by a slower thread) never moving the
// count back or a wrap ahead.
TEST(Platform, TickCountIsCarriedOnOverTheWrapOfItsReadings) {
    struct step {
        DWORD reading;
        ULONGLONG count;
    };
    const step steps[] = {
        {0xFFFFFFF0u, 0xFFFFFFF0ull},   // the first reading as it is
        {0x00000010u, 0x100000010ull},  // across the wrap
        {0xFFFFFFF8u, 0x100000010ull},  // taken before the wrap, reported after it
        {0x00000008u, 0x100000010ull},  // taken before the last one
        {0x80000000u, 0x180000000ull},  // almost half a wrap on
        {0xC0000000u, 0x1C0000000ull},
        {0x00000005u, 0x200000005ull},  // the second wrap
    };
    tick_count_extender extender;
    for (const step& s : steps) EXPECT_EQ(extender.extend(s.reading), s.count) << std::hex << s.reading;
}

TEST(Platform, TickCountIsKernel32sWhereItHasOne) {
    using tick_count64_fn = ULONGLONG(WINAPI*)();
    auto system = reinterpret_cast<tick_count64_fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
    ASSERT_NE(system, nullptr);
    ULONGLONG before = system();
    ULONGLONG ours = tick_count64();
    EXPECT_GE(ours, before);
    EXPECT_LE(ours, system());
}
