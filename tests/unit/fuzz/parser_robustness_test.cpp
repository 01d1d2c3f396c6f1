#include "installer_downloader.h"
#include "url_components.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

static const int address_count = 100000;
static const int list_body_count = 20000;

static std::uint64_t fuzz_seed() {
    if (const char* fixed = std::getenv("OVN_FUZZ_SEED")) return std::strtoull(fixed, nullptr, 10);
    std::random_device device;
    return (static_cast<std::uint64_t>(device()) << 32) ^ device() ^
           static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

// The input that broke an invariant, shown with its bytes escaped and cut
// to a readable length.
static std::string shown(const std::string& text) {
    static const std::size_t shown_bytes = 300;
    std::ostringstream out;
    for (std::size_t i = 0; i < text.size() && i < shown_bytes; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out << text[i];
        } else {
            static const char digits[] = "0123456789abcdef";
            out << "\\x" << digits[c >> 4] << digits[c & 15];
        }
    }
    if (text.size() > shown_bytes) out << "... (" << text.size() << " bytes)";
    return out.str();
}

class generator {
public:
    explicit generator(std::uint64_t seed) : random_(seed) {}

    std::size_t below(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }
    bool chance(int percent) { return below(100) < static_cast<std::size_t>(percent); }
    char byte() { return static_cast<char>(below(256)); }

    template <std::size_t N>
    const char* pick(const char* const (&words)[N]) { return words[below(N)]; }

    std::string bytes(std::size_t max_length) {
        std::string text(below(max_length + 1), '\0');
        for (char& c : text) c = byte();
        return text;
    }

    std::string run(char c, std::size_t min_length, std::size_t max_length) {
        return std::string(min_length + below(max_length - min_length + 1), c);
    }

    std::string from(const char* alphabet, std::size_t max_length) {
        std::string all(alphabet);
        std::string text(below(max_length + 1), 'x');
        for (char& c : text) c = all[below(all.size())];
        return text;
    }

    std::string address() {
        if (chance(15)) return bytes(120);
        if (below(1000) < 2) return long_address();

        static const char* const schemes[] = {"http", "https", "HTTP", "HtTpS", "ftp", "x", "", "1http", "h t"};
        static const char* const separators[] = {"://", "://", "://", "//", ":/", ":///"};
        static const char* const segments[] = {"a", "B", ".", "..", "", "%2e%2E", "%2F", "%41", "%", "%z", "+",
                                               "\x82\x60", "\x83", "file.exe", "?", "%00", "..."};
        static const char* const query_parts[] = {"Q=%41", "+", "\x82\x60\x82\x79", "\x83\x41", "%", "%8", "?",
                                                  "&", "=", "\x81", "\xfc\xfc", "A"};

        std::string text;
        if (chance(10)) text += bytes(8);
        text += pick(schemes);
        text += pick(separators);
        if (chance(20)) text += from("abcXYZ019:", 8) + "@";
        if (chance(15)) {
            text += "[" + from("0123456789abcdefABCDEF:.", 12) + "]";
        } else {
            text += from("abcdefghijklmnopqrstuvwxyzABC0123456789-_.", 16);
        }
        if (chance(25)) text += ":" + from("0123456789", 6);
        int segment_count = static_cast<int>(below(8));
        for (int i = 0; i < segment_count; ++i) text += std::string("/") + pick(segments);
        if (chance(20)) text += "/";
        if (chance(40)) {
            text += "?";
            int part_count = static_cast<int>(below(6));
            for (int i = 0; i < part_count; ++i) text += pick(query_parts);
        }
        if (chance(10)) text += static_cast<char>(0x81 + below(0x1F));  // a lead byte at the end
        if (chance(10)) text += bytes(6);
        return text;
    }

    std::string long_address() {
        switch (below(4)) {
            case 0: return run('a', 1000, 4000) + "://host/";
            case 1: return "http://" + run('h', 1000, 4000) + "/" + run('9', 1000, 4000);
            case 2: {
                std::string text = "http://h";
                for (std::size_t i = 0, n = 100 + below(2000); i < n; ++i) text += chance(50) ? "/../" : "/a/";
                return text;
            }
            default: return "http://h/?" + run('\x82', 1000, 4000);
        }
    }

    std::string list_body() {
        if (chance(5)) return bytes(200);
        static const char* const breaks[] = {"\n", "\r\n", "\r", "\n\n", "\r\r\n", "\r\n\r\n"};

        std::string text;
        if (chance(10)) text += pick(breaks);
        text += chance(50) ? "installer list" : bytes(20);
        std::size_t line_count = chance(1) ? 1000 + below(3000) : below(12);
        for (std::size_t i = 0; i < line_count; ++i) {
            text += pick(breaks);
            text += list_line();
        }
        if (chance(30)) text += pick(breaks);
        if (chance(5)) text += static_cast<char>(0x81 + below(0x1F));
        return text;
    }

    std::string list_line() {
        if (chance(3)) return bytes(60);
        if (chance(2)) return run(' ', 1, 50);
        std::string line = chance(10) ? run(' ', 1, 4) : std::string();
        std::size_t field_count = below(7);
        for (std::size_t f = 0; f < field_count; ++f) {
            if (f > 0) line += chance(5) ? "\t" : run(' ', 1, 3);
            line += list_field(f);
        }
        if (chance(10)) line += run(' ', 1, 4);
        return line;
    }

    std::string list_field(std::size_t position) {
        static const char* const platforms[] = {"32bit", "64bit", "both", "BOTH", "64BIT", "32Bit", "bothx", "any"};
        static const char* const keywords[] = {"manual", "MANUAL", "Manual", "manuals", "latest"};
        if (chance(5)) return bytes(12);
        if (chance(1)) return from("abc\t\x82\x60", 20000);  // a very long field
        if (position == 0) return pick(platforms);
        if (position == 1) return chance(20) ? pick(keywords) : version();
        if (position == 2) return from("0123456789abcdef", 32);
        return "http://127.0.0.1/" + from("abcdefgh/._-?=%", 30);
    }

    std::string version() {
        std::string text = chance(20) ? from("verVER-_", 4) : std::string();
        std::size_t group_count = 1 + below(5);
        for (std::size_t g = 0; g < group_count; ++g) {
            if (g > 0) text += chance(95) ? "." : "..";
            if (chance(3)) {
                text += run(chance(50) ? '9' : '0', 1000, 5000);
            } else if (g == 0) {
                static const char* const majors[] = {"6", "06", "7", "10", "5", "0", "2147483648",
                                                     "99999999999", "", "006", "60"};
                text += pick(majors);
            } else {
                text += from("0123456789", 4);
            }
        }
        if (chance(20)) text += from("-beta rc", 5);
        return text;
    }

private:
    std::mt19937_64 random_;
};

// Empty when every invariant of a parse holds, else what broke.
static std::string check_address(const std::string& text) {
    url_components c;
    const bool ok = c.parse(text);
    const bool untouched = c.scheme.empty() && c.user_info.empty() && c.host.empty() && c.port.empty() &&
                           c.path.empty() && c.segment_ends.empty() && c.query.empty();

    if (text.find("://") == std::string::npos && (ok || !untouched))
        return "a text that cannot match changed the record";
    // Every match has a scheme of at least one letter (a host of only "."
    // may end empty once its trailing dot goes).
    if (c.scheme.empty() && !untouched) return "no scheme, yet the record was changed";
    if (ok && c.scheme.empty()) return "success without a scheme";
    if (!c.path.empty() && c.path[0] == '/') return "path starts with /";

    std::int32_t previous = 0;
    for (std::int32_t end : c.segment_ends) {
        if (end <= previous || static_cast<std::size_t>(end) > c.path.size() || c.path[end - 1] != '/')
            return "segment end " + std::to_string(end) + " is no prefix of path ending at /";
        previous = end;
    }
    for (char d : c.port)
        if (d < '0' || d > '9') return "port holds a non-digit";
    for (char s : c.scheme)
        if (s < 'a' || s > 'z') return "scheme holds a byte other than a small letter";
    if (request_target(c) != "/" + c.path + c.query) return "request target is not /, path and query";
    return std::string();
}

static const std::wstring not_stored = L"\xFFFF";  // no field text converts to this

static std::string check_list_body(const std::string& text, bool windows_64bit) {
    CInstallerDownloader d;
    d.newer_release_version = d.newer_release_url = not_stored;
    d.list_setup_version = d.list_setup_digest = d.list_setup_url = not_stored;
    d.list_manual_digest = d.list_manual_page_url = not_stored;

    const bool result = ParseLtFile(std::vector<char>(text.begin(), text.end()), d, windows_64bit);

    const bool latest_stored = d.list_setup_url != not_stored;
    if (result != (latest_stored || d.newer_release)) return "result is not 'a latest or newer entry was stored'";
    if ((d.list_setup_version != not_stored) != latest_stored || (d.list_setup_digest != not_stored) != latest_stored)
        return "latest-installer fields not stored together";
    if (d.newer_release != (d.newer_release_version != not_stored)) return "newer_release without its version";
    if (d.newer_release_url != not_stored && !d.newer_release) return "newer-release page without newer_release";
    if ((d.list_manual_digest != not_stored) != (d.list_manual_page_url != not_stored))
        return "manual fields not stored together";
    if (d.list_manual_page_url != not_stored && !d.list_manual_found) return "manual fields without list_manual_found";
    if (text.empty() && (result || d.list_manual_found)) return "an empty body changed something";
    return std::string();
}

TEST(ParserRobustness, GeneratedAddresses) {
    const std::uint64_t seed = fuzz_seed();
    RecordProperty("seed", std::to_string(seed));
    generator make(seed);
    for (int i = 0; i < address_count; ++i) {
        const std::string text = make.address();
        const std::string broken = check_address(text);
        if (!broken.empty()) {
            FAIL() << broken << "\n  address #" << i << ": " << shown(text) << "\n  seed " << seed
                   << " (OVN_FUZZ_SEED=" << seed << " repeats the run)";
        }
    }
}

TEST(ParserRobustness, GeneratedListBodies) {
    const std::uint64_t seed = fuzz_seed();
    RecordProperty("seed", std::to_string(seed));
    generator make(seed);
    for (int i = 0; i < list_body_count; ++i) {
        const std::string text = make.list_body();
        const bool windows_64bit = make.chance(50);
        const std::string broken = check_list_body(text, windows_64bit);
        if (!broken.empty()) {
            FAIL() << broken << "\n  body #" << i << (windows_64bit ? " (64-bit)" : " (32-bit)") << ": " << shown(text)
                   << "\n  seed " << seed << " (OVN_FUZZ_SEED=" << seed << " repeats the run)";
        }
    }
}

// Runs far longer than any real address or list field, each shaped so
// that a backtracking search tries many starting places: they end promptly
// and count as not matching.
TEST(ParserRobustness, PathologicalLengthsEndAsNoMatch) {
    const std::string letters(200000, 'a');
    for (const std::string& text : {letters + ":/", letters + "://@", letters + "://[" + letters}) {
        url_components c;
        EXPECT_FALSE(c.parse(text));
        EXPECT_TRUE(c.scheme.empty());
    }

    const std::string digits(100000, '6');
    for (const std::string& field : {digits, digits + "." + digits + "." + digits, "6." + digits + ".6"}) {
        CInstallerDownloader d;
        const std::string body = "h\nboth " + field + " dd http://127.0.0.1/s\n";
        EXPECT_FALSE(ParseLtFile(std::vector<char>(body.begin(), body.end()), d, true));
        EXPECT_FALSE(d.newer_release);
    }
}
