// The single-instance lock and the launcher's window class.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "named_mutex_lock.h"
#include "window_class.h"

namespace {
// One name per test process: CTest may run two of these tests at once.
const std::wstring test_mutex = L"Local\\OVN6 LAUNCHER LOCK TEST " + std::to_wstring(GetCurrentProcessId());
}

TEST(NamedMutexLock, OnlyTheCreatorHoldsTheLockUntilItUnlocks) {
    NamedMutexLock first(test_mutex);
    EXPECT_EQ(first.last_error(), 0u);
    ASSERT_TRUE(first.lock());

    NamedMutexLock second(test_mutex);
    EXPECT_FALSE(second.lock());
    EXPECT_EQ(second.last_error(), 0xb7u);
    // Locking again while held is refused the same way.
    EXPECT_FALSE(first.lock());
    EXPECT_EQ(first.last_error(), 0xb7u);

    first.unlock();
    first.unlock();  // harmless
    EXPECT_TRUE(second.lock());
    EXPECT_EQ(second.last_error(), 0u);
}

TEST(NamedMutexLock, DestroyingTheLockReleasesIt) {
    {
        NamedMutexLock held(test_mutex);
        ASSERT_TRUE(held.lock());
    }
    NamedMutexLock next(test_mutex);
    EXPECT_TRUE(next.lock());
}

TEST(NamedMutexLock, EmptyNameIsInvalidData) {
    NamedMutexLock unnamed(L"");
    EXPECT_FALSE(unnamed.lock());
    EXPECT_EQ(unnamed.last_error(), static_cast<DWORD>(ERROR_INVALID_DATA));
}

TEST(LauncherWindowClass, RegisteredOnceAsADialogClass) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    ASSERT_TRUE(register_launcher_window_class(module));
    EXPECT_TRUE(register_launcher_window_class(module));  // already there counts
    WNDCLASSW info{};
    ASSERT_TRUE(GetClassInfoW(module, launcher_window_class, &info));
    EXPECT_EQ(info.style, static_cast<UINT>(CS_DBLCLKS));
    EXPECT_EQ(info.cbWndExtra, DLGWINDOWEXTRA);
    EXPECT_EQ(info.hbrBackground, nullptr);
}
