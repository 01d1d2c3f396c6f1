#include "platform.h"

#include <gtest/gtest.h>

// The tests run as 64-bit programs on a 64-bit system.
TEST(Platform, SixtyFourBitWindowsIsDetected) { EXPECT_TRUE(is_64bit_windows()); }

// A fresh test prefix reports Windows 7.
TEST(Platform, Windows7CountsAsVistaOrLater) { EXPECT_TRUE(is_vista_or_later()); }
