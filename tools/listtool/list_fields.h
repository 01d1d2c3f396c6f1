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
// Exactly four numbers joined by dots, nothing around them, as the
// launcher's version test reads them, and of a length anyone writes.
bool is_plain_version(const std::string& field);

// What the launcher changes in a download address before it asks for it
// (its address parsing folds and decodes), so the server is asked for
// something other than what the list says.
struct address_changes {
    bool capitals = false;  // capital letters after the host: folded to small ones
    bool escapes = false;   // percent-escapes after the host: decoded
    bool non_ascii = false; // bytes outside ASCII: sent as they stand in the list's code page
};
address_changes changes_before_request(const std::string& address);
