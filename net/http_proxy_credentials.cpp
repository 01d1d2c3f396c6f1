// The record of the last request's proxy credentials. The install and
// manual workers may both be inside a request at once; the lock keeps the
// two strings whole and paired.
#include "http_client.h"
#include "http_proxy_credentials.h"

#include <mutex>

struct remembered_credentials {
    std::mutex lock;
    std::string user;
    std::string password;
};

static remembered_credentials& credentials() {
    static remembered_credentials instance;
    return instance;
}

void forget_proxy_credentials() {
    remember_proxy_credentials(std::string(), std::string());
}

void remember_proxy_credentials(const std::string& user, const std::string& password) {
    remembered_credentials& c = credentials();
    std::lock_guard<std::mutex> guard(c.lock);
    c.user = user;
    c.password = password;
}

void last_proxy_credentials(std::string& user, std::string& password) {
    remembered_credentials& c = credentials();
    std::lock_guard<std::mutex> guard(c.lock);
    user = c.user;
    password = c.password;
}

std::string last_proxy_user() {
    remembered_credentials& c = credentials();
    std::lock_guard<std::mutex> guard(c.lock);
    return c.user;
}

std::string last_proxy_password() {
    remembered_credentials& c = credentials();
    std::lock_guard<std::mutex> guard(c.lock);
    return c.password;
}
