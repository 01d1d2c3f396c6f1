// String-table ids of the test program's own resources.
#pragma once

#define test_text_japanese 103
#define test_text_plain 200
#define test_text_missing 999
