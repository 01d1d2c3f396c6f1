#include "md5.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <ext/stdio_filebuf.h>
#include <memory>
#include <share.h>

#include "string_convert.h"

namespace {

// Files are read in blocks of this size through a stream buffer of
// stream_buffer_size, so one system read serves several blocks.
constexpr std::size_t block_size = 4096;
constexpr std::size_t stream_buffer_size = 64 * 1024;

constexpr std::uint32_t initial_state[4] = {0x67452301u, 0xefcdab89u, 0x98badcfeu, 0x10325476u};

// Padding: 0x80 followed by zeros; at most a whole block and 56 bytes.
constexpr unsigned char padding[64] = {0x80};
constexpr std::size_t length_offset = 56;

inline std::uint32_t rotate_left(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

// The four auxiliary functions of RFC 1321 (F and G in their cheaper but
// equal forms).
inline std::uint32_t f(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return z ^ (x & (y ^ z)); }
inline std::uint32_t g(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return y ^ (z & (x ^ y)); }
inline std::uint32_t h(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return x ^ y ^ z; }
inline std::uint32_t i(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return y ^ (x | ~z); }

#define MD5_STEP(fn, a, b, c, d, x, s, ac) \
    a += fn(b, c, d) + (x) + (ac);        \
    a = rotate_left(a, s) + b

inline std::uint32_t load_le32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline void store_le32(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

// One 64-byte block through the four rounds.
void transform(std::uint32_t state[4], const unsigned char block[64]) {
    std::uint32_t x[16];
    for (int k = 0; k < 16; ++k) x[k] = load_le32(block + 4 * k);
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];

    MD5_STEP(f, a, b, c, d, x[0], 7, 0xd76aa478u);
    MD5_STEP(f, d, a, b, c, x[1], 12, 0xe8c7b756u);
    MD5_STEP(f, c, d, a, b, x[2], 17, 0x242070dbu);
    MD5_STEP(f, b, c, d, a, x[3], 22, 0xc1bdceeeu);
    MD5_STEP(f, a, b, c, d, x[4], 7, 0xf57c0fafu);
    MD5_STEP(f, d, a, b, c, x[5], 12, 0x4787c62au);
    MD5_STEP(f, c, d, a, b, x[6], 17, 0xa8304613u);
    MD5_STEP(f, b, c, d, a, x[7], 22, 0xfd469501u);
    MD5_STEP(f, a, b, c, d, x[8], 7, 0x698098d8u);
    MD5_STEP(f, d, a, b, c, x[9], 12, 0x8b44f7afu);
    MD5_STEP(f, c, d, a, b, x[10], 17, 0xffff5bb1u);
    MD5_STEP(f, b, c, d, a, x[11], 22, 0x895cd7beu);
    MD5_STEP(f, a, b, c, d, x[12], 7, 0x6b901122u);
    MD5_STEP(f, d, a, b, c, x[13], 12, 0xfd987193u);
    MD5_STEP(f, c, d, a, b, x[14], 17, 0xa679438eu);
    MD5_STEP(f, b, c, d, a, x[15], 22, 0x49b40821u);

    MD5_STEP(g, a, b, c, d, x[1], 5, 0xf61e2562u);
    MD5_STEP(g, d, a, b, c, x[6], 9, 0xc040b340u);
    MD5_STEP(g, c, d, a, b, x[11], 14, 0x265e5a51u);
    MD5_STEP(g, b, c, d, a, x[0], 20, 0xe9b6c7aau);
    MD5_STEP(g, a, b, c, d, x[5], 5, 0xd62f105du);
    MD5_STEP(g, d, a, b, c, x[10], 9, 0x02441453u);
    MD5_STEP(g, c, d, a, b, x[15], 14, 0xd8a1e681u);
    MD5_STEP(g, b, c, d, a, x[4], 20, 0xe7d3fbc8u);
    MD5_STEP(g, a, b, c, d, x[9], 5, 0x21e1cde6u);
    MD5_STEP(g, d, a, b, c, x[14], 9, 0xc33707d6u);
    MD5_STEP(g, c, d, a, b, x[3], 14, 0xf4d50d87u);
    MD5_STEP(g, b, c, d, a, x[8], 20, 0x455a14edu);
    MD5_STEP(g, a, b, c, d, x[13], 5, 0xa9e3e905u);
    MD5_STEP(g, d, a, b, c, x[2], 9, 0xfcefa3f8u);
    MD5_STEP(g, c, d, a, b, x[7], 14, 0x676f02d9u);
    MD5_STEP(g, b, c, d, a, x[12], 20, 0x8d2a4c8au);

    MD5_STEP(h, a, b, c, d, x[5], 4, 0xfffa3942u);
    MD5_STEP(h, d, a, b, c, x[8], 11, 0x8771f681u);
    MD5_STEP(h, c, d, a, b, x[11], 16, 0x6d9d6122u);
    MD5_STEP(h, b, c, d, a, x[14], 23, 0xfde5380cu);
    MD5_STEP(h, a, b, c, d, x[1], 4, 0xa4beea44u);
    MD5_STEP(h, d, a, b, c, x[4], 11, 0x4bdecfa9u);
    MD5_STEP(h, c, d, a, b, x[7], 16, 0xf6bb4b60u);
    MD5_STEP(h, b, c, d, a, x[10], 23, 0xbebfbc70u);
    MD5_STEP(h, a, b, c, d, x[13], 4, 0x289b7ec6u);
    MD5_STEP(h, d, a, b, c, x[0], 11, 0xeaa127fau);
    MD5_STEP(h, c, d, a, b, x[3], 16, 0xd4ef3085u);
    MD5_STEP(h, b, c, d, a, x[6], 23, 0x04881d05u);
    MD5_STEP(h, a, b, c, d, x[9], 4, 0xd9d4d039u);
    MD5_STEP(h, d, a, b, c, x[12], 11, 0xe6db99e5u);
    MD5_STEP(h, c, d, a, b, x[15], 16, 0x1fa27cf8u);
    MD5_STEP(h, b, c, d, a, x[2], 23, 0xc4ac5665u);

    MD5_STEP(i, a, b, c, d, x[0], 6, 0xf4292244u);
    MD5_STEP(i, d, a, b, c, x[7], 10, 0x432aff97u);
    MD5_STEP(i, c, d, a, b, x[14], 15, 0xab9423a7u);
    MD5_STEP(i, b, c, d, a, x[5], 21, 0xfc93a039u);
    MD5_STEP(i, a, b, c, d, x[12], 6, 0x655b59c3u);
    MD5_STEP(i, d, a, b, c, x[3], 10, 0x8f0ccc92u);
    MD5_STEP(i, c, d, a, b, x[10], 15, 0xffeff47du);
    MD5_STEP(i, b, c, d, a, x[1], 21, 0x85845dd1u);
    MD5_STEP(i, a, b, c, d, x[8], 6, 0x6fa87e4fu);
    MD5_STEP(i, d, a, b, c, x[15], 10, 0xfe2ce6e0u);
    MD5_STEP(i, c, d, a, b, x[6], 15, 0xa3014314u);
    MD5_STEP(i, b, c, d, a, x[13], 21, 0x4e0811a1u);
    MD5_STEP(i, a, b, c, d, x[4], 6, 0xf7537e82u);
    MD5_STEP(i, d, a, b, c, x[11], 10, 0xbd3af235u);
    MD5_STEP(i, c, d, a, b, x[2], 15, 0x2ad7d2bbu);
    MD5_STEP(i, b, c, d, a, x[9], 21, 0xeb86d391u);

    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

#undef MD5_STEP

struct file_closer {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

}  // namespace

void md5_init(md5_context* context) {
    std::memcpy(context->state, initial_state, sizeof(initial_state));
    context->count[0] = 0;
    context->count[1] = 0;
}

void md5_update(md5_context* context, const unsigned char* input, std::size_t length) {
    std::size_t buffered = (context->count[0] >> 3) & 0x3f;

    // Bit count: eight times the bytes, carried into the high word.
    std::uint64_t bits = static_cast<std::uint64_t>(length) << 3;
    std::uint32_t low = context->count[0] + static_cast<std::uint32_t>(bits);
    if (low < context->count[0]) ++context->count[1];
    context->count[0] = low;
    context->count[1] += static_cast<std::uint32_t>(bits >> 32);

    std::size_t room = 64 - buffered;
    std::size_t used = 0;
    if (length >= room) {
        std::memcpy(context->buffer + buffered, input, room);
        transform(context->state, context->buffer);
        // Whole blocks straight from the input, without copying.
        for (used = room; used + 63 < length; used += 64) transform(context->state, input + used);
        buffered = 0;
    }
    std::memcpy(context->buffer + buffered, input + used, length - used);
}

void md5_final(md5_context* context, unsigned char digest[16]) {
    unsigned char bits[8];
    store_le32(bits, context->count[0]);
    store_le32(bits + 4, context->count[1]);

    std::size_t buffered = (context->count[0] >> 3) & 0x3f;
    std::size_t pad_length = buffered < length_offset ? length_offset - buffered : 120 - buffered;
    md5_update(context, padding, pad_length);
    md5_update(context, bits, sizeof(bits));

    for (int k = 0; k < 4; ++k) store_le32(digest + 4 * k, context->state[k]);
    // The context held the message's last block; leave nothing of it.
    std::memset(context, 0, sizeof(*context));
}

bool md5_stream(std::istream& stream, unsigned char digest[16]) {
    md5_context context;
    md5_init(&context);

    unsigned char block[block_size];
    char* const block_start = reinterpret_cast<char*>(block);
    if (stream.good()) {
        for (;;) {
            std::size_t filled = 0;
            std::streamsize delivered = 0;
            do {
                stream.read(block_start + filled, static_cast<std::streamsize>(block_size - filled));
                delivered = stream.gcount();
                filled += static_cast<std::size_t>(delivered);
            } while (filled < block_size && delivered > 0);

            if (filled == block_size) {
                md5_update(&context, block, block_size);
                if (stream.good()) continue;
                break;
            }
            // End of stream or a read error: what was collected still counts.
            if (filled > 0) md5_update(&context, block, filled);
            break;
        }
    }
    md5_final(&context, digest);
    return true;
}

bool md5_file(const std::string& path, unsigned char digest[16]) {
    if (path.empty()) return false;
    return md5_file(ansi_to_wide(path), digest);
}

bool md5_file(const std::wstring& wide_path, unsigned char digest[16]) {
    if (wide_path.empty() || !digest) return false;

    // Deny none: a file that others read or write meanwhile is still digested.
    std::unique_ptr<std::FILE, file_closer> file(::_wfsopen(wide_path.c_str(), L"rb", _SH_DENYNO));
    if (!file) return false;
    bool digested;
    {
        __gnu_cxx::stdio_filebuf<char> buffer(file.get(), std::ios_base::in | std::ios_base::binary,
                                              stream_buffer_size);
        std::istream stream(&buffer);
        digested = md5_stream(stream, digest);
    }
    return digested;
}

std::string hex_string(const unsigned char* bytes) {
    std::string text;
    if (!bytes) return text;
    text.reserve(32);
    for (int k = 0; k < 16; ++k) {
        char pair[3];
        std::snprintf(pair, sizeof(pair), "%02x", bytes[k]);
        text.append(pair, 2);
    }
    return text;
}

bool digest_to_hex(const unsigned char* digest, std::string& text) {
    if (!digest) return false;
    text = hex_string(digest);
    return true;
}
