// Writers of the process-wide proxy credentials; only the HTTP client
// writes them.
#pragma once

#include <string>

void forget_proxy_credentials();
void remember_proxy_credentials(const std::string& user, const std::string& password);
