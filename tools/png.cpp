// A PNG writer small enough to need no library: the icons are flat colours, so repeating the pixel
// to the left or the row above (with the fixed Huffman codes of deflate) packs them well enough.
#include "png.h"

#include <array>
#include <cstdio>

namespace {

using bytes = std::vector<std::uint8_t>;

std::uint32_t crc(const std::uint8_t* p, std::size_t n, std::uint32_t c = 0xFFFFFFFFu) {
    for (std::size_t i = 0; i < n; i++) {
        c ^= p[i];
        for (int k = 0; k < 8; k++)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return c;
}

void put32(bytes& out, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> s));
}

struct bits {
    bytes out;
    std::uint32_t acc = 0;
    int n = 0;
    void put(std::uint32_t v, int count) { // least significant bit first
        acc |= v << n;
        n += count;
        for (; n >= 8; n -= 8, acc >>= 8)
            out.push_back(static_cast<std::uint8_t>(acc));
    }
    void code(std::uint32_t v, int count) { // Huffman codes go most significant bit first
        std::uint32_t r = 0;
        for (int i = 0; i < count; i++)
            r |= ((v >> i) & 1) << (count - 1 - i);
        put(r, count);
    }
    void flush() {
        if (n > 0)
            out.push_back(static_cast<std::uint8_t>(acc));
        acc = 0;
        n = 0;
    }
};

void symbol(bits& b, int v) {
    if (v < 144)
        b.code(0x30 + v, 8);
    else if (v < 256)
        b.code(0x190 + v - 144, 9);
    else if (v < 280)
        b.code(v - 256, 7);
    else
        b.code(0xC0 + v - 280, 8);
}

constexpr std::array<int, 29> lenbase{3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                      15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                      67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<int, 29> lenextra{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<int, 30> distbase{
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};

void match(bits& b, int len, int dist) {
    int i = 28;
    while (lenbase[i] > len)
        i--;
    symbol(b, 257 + i);
    b.put(len - lenbase[i], lenextra[i]);
    int d = 29;
    while (distbase[d] > dist)
        d--;
    b.code(d, 5);
    b.put(dist - distbase[d], d < 4 ? 0 : d / 2 - 1);
}

bytes deflate(const bytes& in, int stride) {
    bits b;
    b.put(1, 1); // the last block
    b.put(1, 2); // fixed codes
    const int n = static_cast<int>(in.size());
    for (int i = 0; i < n;) {
        int best = 0, bestdist = 0;
        for (int dist : {4, stride}) {
            int len = 0;
            while (i >= dist && i + len < n && len < 258 && in[i + len] == in[i + len - dist])
                len++;
            if (len > best) {
                best = len;
                bestdist = dist;
            }
        }
        if (best >= 3) {
            match(b, best, bestdist);
            i += best;
        } else {
            symbol(b, in[i++]);
        }
    }
    symbol(b, 256);
    b.flush();
    return b.out;
}

void chunk(bytes& out, const char* type, const bytes& data) {
    put32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t at = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32(out, ~crc(out.data() + at, out.size() - at));
}

} // namespace

std::vector<std::uint8_t> pngbytes(int w, int h, const std::vector<std::uint8_t>& rgba) {
    // Each row starts with filter type 0: the rows as they are.
    const int stride = w * 4 + 1;
    bytes raw;
    for (int y = 0; y < h; y++) {
        raw.push_back(0);
        raw.insert(raw.end(), rgba.begin() + y * w * 4, rgba.begin() + (y + 1) * w * 4);
    }
    bytes z{0x78, 0x01};
    bytes d = deflate(raw, stride);
    z.insert(z.end(), d.begin(), d.end());
    std::uint32_t a = 1, s = 0;
    for (std::uint8_t v : raw) {
        a = (a + v) % 65521;
        s = (s + a) % 65521;
    }
    put32(z, s << 16 | a);

    bytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    bytes head;
    put32(head, static_cast<std::uint32_t>(w));
    put32(head, static_cast<std::uint32_t>(h));
    head.insert(head.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA, deflate, no filter, no interlace
    chunk(out, "IHDR", head);
    chunk(out, "IDAT", z);
    chunk(out, "IEND", {});
    return out;
}

bool writepng(const std::string& path, int w, int h, const std::vector<std::uint8_t>& rgba) {
    const bytes out = pngbytes(w, h, rgba);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}
