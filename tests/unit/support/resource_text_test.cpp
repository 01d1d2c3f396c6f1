#include "resource_text.h"

#include <gtest/gtest.h>

#include "resource_text_test.h"

TEST(ResourceText, LoadsJapaneseTextById) {
    EXPECT_EQ(load_resource_string(test_text_japanese), L"\u30a4\u30f3\u30b9\u30c8\u30fc\u30eb");  // インストール
    EXPECT_EQ(load_resource_string(test_text_plain, ::GetModuleHandleW(nullptr)), L"plain text");
}

TEST(ResourceText, EntriesOfOneBlockDoNotBleedIntoEachOther) {
    // 200 and 201 share a block of sixteen; 202 in it is missing.
    EXPECT_EQ(load_resource_string(test_text_plain + 1), L"next");
    EXPECT_EQ(load_resource_string(test_text_plain + 2), L"");
}

TEST(ResourceText, MissingEntryGivesEmptyText) { EXPECT_EQ(load_resource_string(test_text_missing), L""); }
