#include "http_client.h"

static const char user_agent_text[] = "orvane/6.0";

void http_request::reset() {
    secure = false;
    user_agent = user_agent_text;
    host.clear();
    port.clear();
    path.clear();
    verb.clear();
    proxy_host.clear();
    proxy_port.clear();
    proxy_user.clear();
    proxy_password.clear();
    headers.clear();
    data.clear();
}
