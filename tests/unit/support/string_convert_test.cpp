#include "string_convert.h"

#include <gtest/gtest.h>

// The tests run with LANG=ja_JP.UTF-8, that is ANSI code page 932.
TEST(StringConvert, TestsRunUnderCodePage932) { ASSERT_EQ(::GetACP(), 932u); }

TEST(StringConvert, JapaneseRoundTripsThroughCodePage932) {
    const std::wstring text = L"\u65e5\u672c\u8a9e\u30c6\u30ad\u30b9\u30c8";  // 日本語テキスト
    const std::string ansi = "\x93\xfa\x96\x7b\x8c\xea\x83\x65\x83\x4c\x83\x58\x83\x67";
    EXPECT_EQ(wide_to_ansi(text), ansi);
    EXPECT_EQ(ansi_to_wide(ansi), text);
}

TEST(StringConvert, CharacterOutsideTheCodePageBecomesTheDefault) {
    EXPECT_EQ(wide_to_ansi(L"A\uac00B"), "A?B");  // a Hangul syllable
}

TEST(StringConvert, TextStopsAtAZeroInside) {
    EXPECT_EQ(ansi_to_wide(std::string("ab\0cd", 5)), L"ab");
    EXPECT_EQ(wide_to_ansi(std::wstring(L"ab\0cd", 5)), "ab");
}

TEST(StringConvert, EmptyGivesEmpty) {
    EXPECT_EQ(ansi_to_wide(""), L"");
    EXPECT_EQ(wide_to_ansi(L""), "");
}

TEST(StringConvert, CodePageIsTheCallersChoice) {
    EXPECT_EQ(multibyte_to_wide(CP_UTF8, "\xe6\x97\xa5"), L"\u65e5");
    EXPECT_EQ(multibyte_to_wide(932, "\x93\xfa"), L"\u65e5");
}
