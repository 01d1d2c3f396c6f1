#pragma once
// The Windows that the test prefix plays, as the build that made the
// prefix was configured (OVN_TEST_WINDOWS): what the launcher must find
// there, told from outside rather than asked of the code under test.

namespace test_windows {

constexpr bool sixty_four_bit = OVN_TEST_64BIT_WINDOWS != 0;
constexpr bool vista_or_later = OVN_TEST_VISTA_OR_LATER != 0;
// The setup program the launcher runs there, and the one it never takes.
constexpr const wchar_t* setup_name = sixty_four_bit ? L"setup64.exe" : L"setup32.exe";
constexpr const wchar_t* other_setup_name = sixty_four_bit ? L"setup32.exe" : L"setup64.exe";
// The shell verb a setup program is started with.
constexpr const wchar_t* setup_verb = vista_or_later ? L"runas" : L"open";

}  // namespace test_windows
