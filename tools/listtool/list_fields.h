// The forms the fields of a correct list entry take.
#pragma once

#include <string>

// 32 lower-case hexadecimal characters, the only form the launcher's
// digest comparison can match.
bool is_list_digest(const std::string& field);
// The same letters in any case.
bool is_hex_digest_any_case(const std::string& field);
// Starts with http:// or https://, in any letter case.
bool is_web_address(const std::string& field);
// Exactly four numbers joined by dots, nothing around them.
bool is_plain_version(const std::string& field);
