#include "memory_body.h"

#include <string>

#include "system_log.h"

// Room for the announced body up front, so a large body is not copied on
// every growth of the vector; a wrong or absent length only costs speed.
// A larger length is not trusted with memory in advance: in a 32-bit
// process a header that lies could otherwise take a large part of the
// address space for a tiny body. Such a body grows as it arrives.
static const DWORD max_reserved_body = 64u << 20;

bool memory_body::begin(int, DWORD announced) {
    if (announced > max_reserved_body) return true;
    try {
        body_.reserve(announced);
    } catch (...) {
    }
    return true;
}

bool memory_body::append(const char* bytes, DWORD count) {
    try {
        body_.insert(body_.end(), bytes, bytes + count);
        return true;
    } catch (...) {
        // Only the body's growth throws here.
    }
    const std::string reached = std::to_string(body_.size());
    std::vector<char>().swap(body_);
    system_log().write_a(log_level_info, "get_data_by_wininet body did not fit in memory at %s bytes",
                         reached.c_str());
    return false;
}
