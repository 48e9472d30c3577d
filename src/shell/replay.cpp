// The replay file, little-endian:
//   magic "DROPREPL", format version (16 bits), mode, a zero byte, the generator's four words,
//   DAS, ARR and soft drop speed, the 8 key latches, 8 DAS counters and 8 repeat accumulators,
//   the date (signed 64 bits), the program's version (16 bytes), the frames run, the number of
//   changes, each change as its gap (7 bits a byte, low first) and the slots, then the end (score,
//   lines, level, frames played, pieces, how it ended, the board's checksum) and a CRC-32 of
//   everything before it.
#include "shell/replay.h"
#include "shell/ingamev.h"
#include "shell/modes.h"

#include <algorithm>
#include <cstdio>

namespace {

const unsigned char magic[8] = {'D', 'R', 'O', 'P', 'R', 'E', 'P', 'L'};
constexpr unsigned formatversion = 1;
constexpr std::size_t headsize = 144, endsize = 45;

struct writer {
    std::vector<unsigned char> out;
    void put(std::uint64_t v, int bytes) {
        for (int k = 0; k < bytes; k++)
            out.push_back(static_cast<unsigned char>(v >> (8 * k)));
    }
    void gap(std::uint32_t v) {
        for (; v >= 0x80; v >>= 7)
            out.push_back(static_cast<unsigned char>(v | 0x80));
        out.push_back(static_cast<unsigned char>(v));
    }
};

// Reads fields in order; once past the end it reads zeros and remembers that it was cut short.
struct reader {
    const unsigned char* p;
    std::size_t n, at = 0;
    bool short_ = false;
    std::uint64_t get(int bytes) {
        std::uint64_t v = 0;
        for (int k = 0; k < bytes; k++, at++)
            v |= std::uint64_t(at < n ? p[at] : 0) << (8 * k);
        short_ = short_ || at > n;
        return v;
    }
    // A gap of at most four bytes in its shortest form; false when it is not one.
    bool gap(std::uint32_t* v) {
        *v = 0;
        for (int k = 0; k < 4; k++) {
            std::uint32_t b = static_cast<std::uint32_t>(get(1));
            *v |= (b & 0x7F) << (7 * k);
            if (!(b & 0x80))
                return k == 0 || b != 0 || short_;
        }
        return false;
    }
};

} // namespace

long maxreplaysize() {
    return static_cast<long>(headsize + 5 * std::size_t(maxchanges) + endsize + 4);
}

std::vector<unsigned char> encodereplay(const replay& r) {
    writer w;
    w.out.assign(magic, magic + 8);
    w.put(formatversion, 2);
    w.put(r.mode, 1);
    w.put(0, 1);
    for (auto v : r.random)
        w.put(v, 4);
    w.put(r.das, 4);
    w.put(r.arr, 4);
    w.put(r.sds, 4);
    for (auto v : r.keys)
        w.put(v, 1);
    for (auto v : r.daskeys)
        w.put(v, 4);
    for (auto v : r.arrkeys)
        w.put(v, 4);
    w.put(static_cast<std::uint64_t>(r.date), 8);
    for (char c : r.version)
        w.put(static_cast<unsigned char>(c), 1);
    w.put(r.ticks, 4);
    w.put(r.changes.size(), 4);
    for (auto c : r.changes) {
        w.gap(c.gap);
        w.put(c.slots, 1);
    }
    const gameresult& e = r.end;
    for (auto v : {e.score, e.lines, e.level, e.frames, e.pieces})
        w.put(v, 8);
    w.put(e.how, 1);
    w.put(e.board, 4);
    w.put(crc32(w.out.data(), w.out.size()), 4);
    return w.out;
}

std::string decodereplay(const unsigned char* data, std::size_t n, replay* out) {
    if (n > static_cast<std::size_t>(maxreplaysize()))
        return "larger than any real game";
    reader rd{data, n};
    for (unsigned char m : magic)
        if (rd.get(1) != m || rd.short_)
            return "not a replay";
    // The checksum first: no other field of a damaged file is believed, so damage is never taken
    // for a newer version or a longer game.
    if (n < headsize + endsize + 4)
        return "cut short";
    if (crc32(data, n - 4) !=
        (data[n - 4] | data[n - 3] << 8 | data[n - 2] << 16 | std::uint32_t(data[n - 1]) << 24))
        return "damaged (its checksum does not match)";
    const unsigned version = static_cast<unsigned>(rd.get(2));
    if (version > formatversion)
        return "made by a newer version of the game (format " + std::to_string(version) + ")";
    if (version == 0)
        return "not a replay (format 0)";

    replay r;
    r.mode = static_cast<std::uint8_t>(rd.get(1));
    if (r.mode >= modecount || rd.get(1) != 0)
        return "has an unknown game mode";
    bool zero = true;
    for (auto& v : r.random)
        zero = (v = static_cast<std::uint32_t>(rd.get(4))) == 0 && zero;
    r.das = static_cast<std::uint32_t>(rd.get(4));
    r.arr = static_cast<std::uint32_t>(rd.get(4));
    r.sds = static_cast<std::uint32_t>(rd.get(4));
    bool latches = true;
    for (auto& v : r.keys)
        latches = (v = static_cast<std::uint8_t>(rd.get(1))) <= 1 && latches;
    for (auto& v : r.daskeys)
        v = static_cast<std::uint32_t>(rd.get(4));
    for (auto& v : r.arrkeys)
        v = static_cast<std::uint32_t>(rd.get(4));
    r.date = static_cast<std::int64_t>(rd.get(8));
    bool text = true, ended = false;
    for (char& c : r.version) {
        c = static_cast<char>(rd.get(1));
        text = text && (ended ? c == 0 : c == 0 || (c >= 0x20 && c < 0x7F));
        ended = ended || c == 0;
    }
    r.ticks = static_cast<std::uint32_t>(rd.get(4));
    const std::uint64_t count = rd.get(4);
    if (rd.short_)
        return "cut short";
    if (zero)
        return "has no random numbers";
    if (!latches || !text)
        return "has a damaged header";
    if (r.ticks == 0)
        return "has no frames";
    if (r.ticks > maxticks || count > maxchanges)
        return "larger than any real game";

    std::uint64_t frame = 0;
    std::uint8_t last = 0;
    // A count that the rest of the file cannot hold asks for no more memory than the file's size.
    r.changes.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(count, (n - rd.at) / 2)));
    for (std::uint64_t i = 0; i < count; i++) {
        slotchange c{};
        if (!rd.gap(&c.gap))
            return rd.short_ ? "cut short" : "has a damaged key change";
        c.slots = static_cast<std::uint8_t>(rd.get(1));
        if (rd.short_)
            return "cut short";
        frame += c.gap;
        if ((i > 0 && c.gap == 0) || c.slots == last || frame >= r.ticks)
            return "has a damaged key change";
        last = c.slots;
        r.changes.push_back(c);
    }
    gameresult& e = r.end;
    for (auto* v : {&e.score, &e.lines, &e.level, &e.frames, &e.pieces})
        *v = rd.get(8);
    e.how = static_cast<std::uint8_t>(rd.get(1));
    e.board = static_cast<std::uint32_t>(rd.get(4));
    rd.get(4); // the checksum
    if (rd.short_)
        return "cut short";
    if (rd.at != n)
        return "has bytes after its end";
    if (e.how > wongame || e.frames > r.ticks)
        return "has a damaged end";
    *out = std::move(r);
    return "";
}

gameresult currentresult() {
    const gamestate& g = ingamev;
    gameresult r{g.score, g.lines, g.level, g.frames, g.piececount, leftgame, 2166136261u};
    for (auto& row : g.board)
        for (auto c : row)
            r.board = (r.board ^ c) * 16777619u;
    if (g.over) {
        r.how = goalreached(g) ? wongame : toppedout;
    }
    return r;
}

std::string describe(const gameresult& r) {
    static const char* const hows[] = {"left", "topped out", "won"};
    char line[200];
    std::snprintf(line, sizeof line, "score %llu, %llu lines, level %llu, %s, %llu pieces, %s",
                  static_cast<unsigned long long>(r.score),
                  static_cast<unsigned long long>(r.lines),
                  static_cast<unsigned long long>(r.level), gametime(r.frames).c_str(),
                  static_cast<unsigned long long>(r.pieces), hows[r.how <= 2 ? r.how : 0]);
    return line;
}

std::string gametime(std::uint64_t frames) {
    char text[48];
    std::snprintf(text, sizeof text, "%llu:%02llu.%02llu",
                  static_cast<unsigned long long>(frames / 3600),
                  static_cast<unsigned long long>(frames / 60 % 60),
                  static_cast<unsigned long long>((frames % 60 * 100 + 30) / 60));
    return text;
}

std::uint32_t crc32(const unsigned char* p, std::size_t n) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; i++) {
        c ^= p[i];
        for (int k = 0; k < 8; k++)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}
