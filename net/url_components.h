// A web address split into the pieces an HTTP request is built from, with
// case folded, percent escapes decoded, the default port of the two web
// schemes filled in and dot segments resolved.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct url_components {
    std::string scheme;     // lower case, without "://"
    std::string user_info;  // as written, without its "@"
    std::string host;       // lower case; a bracketed host keeps its brackets
    std::string port;       // digits only; "80" / "443" by default for http / https
    std::string path;       // kept segments joined by "/", no leading "/"
    // Length of path right after each kept segment and its "/".
    std::vector<std::int32_t> segment_ends;
    std::string query;      // with its leading "?"; decoded and folded

    // Splits text into the record. True when the text matched and its path
    // resolved. No match leaves the record untouched; a ".." above the
    // root fails after every piece but the path is set. Path and segment
    // ends are appended to, so parse into a new record only.
    bool parse(const std::string& text);

private:
    bool normalize(const std::string& working_path);
};

// "/", the path, then the query when there is one: the object name of the
// request.
std::string request_target(const url_components& components);

// True when text parses with scheme "http" or "https" written at its very
// start. parse searches, so it also finds an address behind other text, as
// in "C:\x.exe http://a": such a text is no web address.
bool is_web_address(const std::string& text);
