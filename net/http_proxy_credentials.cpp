// The install and manual workers may both be inside a request at once;
// the lock keeps the two strings whole and paired.
#include "http_client.h"
#include "http_proxy_credentials.h"

#include <mutex>

struct proxy_credentials {
    std::mutex lock;
    std::string user;
    std::string password;
};

static proxy_credentials& credentials() {
    static proxy_credentials instance;
    return instance;
}

void forget_proxy_credentials() {
    remember_proxy_credentials(std::string(), std::string());
}

void remember_proxy_credentials(const std::string& user, const std::string& password) {
    proxy_credentials& c = credentials();
    std::lock_guard<std::mutex> guard(c.lock);
    c.user = user;
    c.password = password;
}

void last_proxy_credentials(std::string& user, std::string& password) {
    proxy_credentials& c = credentials();
    std::lock_guard<std::mutex> guard(c.lock);
    user = c.user;
    password = c.password;
}

std::string last_proxy_user() {
    proxy_credentials& c = credentials();
    std::lock_guard<std::mutex> guard(c.lock);
    return c.user;
}

std::string last_proxy_password() {
    proxy_credentials& c = credentials();
    std::lock_guard<std::mutex> guard(c.lock);
    return c.password;
}
