// A response body held whole in memory, for answers the caller reads at
// once (the installer list file, error pages).
#pragma once

#include <vector>

#include "http_client.h"

class memory_body : public body_sink {
public:
    explicit memory_body(std::vector<char>& body) : body_(body) {}

    bool begin(int status, DWORD announced) override;
    // False when the body stops fitting in memory: then what had arrived
    // is dropped, so a part never passes for the whole.
    bool append(const char* bytes, DWORD count) override;
    DWORD failure() const override { return ERROR_NOT_ENOUGH_MEMORY; }

private:
    std::vector<char>& body_;
};
