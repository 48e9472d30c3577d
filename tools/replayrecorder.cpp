// Records the games of tests/replays again, on the headless back end: each game of the list below
// is played by a bot or by seeded random keys through the game's own loop and its own recorder,
// exactly as a player's game is kept, and the replay it writes is copied there under the game's
// name. The damaged files are made from one of the good ones. Everything is fixed by the list (the
// clock that seeds the pieces, the keys, when to pause), so an unchanged game records the same
// bytes again; after an intended change of the rules it records the new ends.
//   replayrecorder FOLDER [NAME...]   records every game, or the ones named, into FOLDER
#include "console/screen.h"
#include "console/sound.h"
#include "frontend/frontend.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "shell/ingameloop.h"
#include "shell/ingamev.h"
#include "shell/modes.h"
#include "shell/random.h"
#include "shell/recorder.h"
#include "shell/replay.h"
#include "shell/shell.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

enum class player { bot, randomkeys, slowkeys };

struct game {
    const char* name;
    std::uint8_t mode;
    std::int32_t date; // the wall clock when it starts, which seeds the pieces
    player by;
    int goodpieces = 1000; // the bot plays well for this many pieces, then drops each at once
    std::uint64_t pauseat = 0, pausefor = 0; // a pause from this frame on, when given
    bool tspins = false;                     // the bot twists T pieces into place when it can
    bool frommenu = false;                   // started from the main menu, with Start still down
};

const game games[] = {
    {"0-dropple2-bot.replay", dropple2, 1796000020, player::bot, 70},
    {"0-dropple2-played-in-tmux.replay", dropple2, 1796647225, player::slowkeys, 1000, 0, 0, false,
     true},
    {"0-dropple2-tspins-pause.replay", dropple2, 1796000002, player::bot, 150, 400, 90, true},
    {"0-dropple3-bot-won.replay", dropple3, 1796000021, player::bot},
    {"0-dropple3-random-keys.replay", dropple3, 1796000022, player::randomkeys},
    {"0-dropple3-won.replay", dropple3, 1796000001, player::bot, 1000, 0, 0, true},
    {"0-dropple4-bot-paused-won.replay", dropple4, 1796000023, player::bot, 1000, 3000, 200},
    {"0-dropple5-20g-bot.replay", dropple5death, 1796000024, player::bot, 90},
    {"0-dropple5-bot.replay", dropple5, 1796000025, player::bot, 100},
    {"0-dropple5-random-keys.replay", dropple5, 1796000026, player::randomkeys},
    {"0-dropple5.replay", dropple5, 1796000011, player::bot, 200, 0, 0, true},
    {"0-dropple5death.replay", dropple5death, 1796000012, player::bot, 100, 0, 0, true},
    {"0-marathon-bot.replay", marathon, 1796000027, player::bot, 80},
};

// What the bot puts back after trying a move: everything a frame of play reads or writes.
struct snapshot {
    unsigned char game[sizeof(gamestate)];
    std::uint8_t keys[8];
    std::uint32_t daskeys[8], arrkeys[8];
    std::uint32_t random[4];
};

snapshot take() {
    snapshot s;
    std::memcpy(s.game, &ingamev, sizeof s.game);
    std::memcpy(s.keys, keys, sizeof s.keys);
    std::memcpy(s.daskeys, daskeys, sizeof s.daskeys);
    std::memcpy(s.arrkeys, arrkeys, sizeof s.arrkeys);
    randomstate(s.random);
    return s;
}

void putback(const snapshot& s) {
    std::memcpy(static_cast<void*>(&ingamev), s.game, sizeof s.game);
    std::memcpy(keys, s.keys, sizeof keys);
    std::memcpy(daskeys, s.daskeys, sizeof daskeys);
    std::memcpy(arrkeys, s.arrkeys, sizeof arrkeys);
    setrandomstate(s.random);
}

constexpr std::uint8_t slot(int k) {
    return static_cast<std::uint8_t>(1 << k);
}

bool tspinlabel(std::uint8_t label) {
    return (label >= 6 && label <= 8) || label >= 10;
}

// How good the field is after a piece: few holes, low and flat, lines cleared, T-spins sought.
double judge(std::uint64_t lines, bool tspin, bool tspins) {
    const auto& g = ingamev;
    if (g.over && !goalreached(g))
        return -1e9;
    int height[boardcols] = {}, holes = 0;
    for (int c = 0; c < boardcols; c++)
        for (int r = boardrows - 1; r >= 0; r--)
            if (g.board[r][c]) {
                if (!height[c])
                    height[c] = r + 1;
            } else if (height[c]) {
                holes++;
            }
    int total = 0, bumps = 0;
    for (int c = 0; c < boardcols; c++) {
        total += height[c];
        if (c)
            bumps += std::abs(height[c] - height[c - 1]);
    }
    // A slot a T fits into with a twist: a gap one wide under an open row, roofed on one side.
    int slots = 0;
    for (int r = 0; tspins && r + 2 < boardrows; r++)
        for (int c = 1; c + 1 < boardcols; c++) {
            const auto* b = g.board;
            slots += !b[r][c] && b[r][c - 1] && b[r][c + 1] && !b[r + 1][c - 1] && !b[r + 1][c] &&
                     !b[r + 1][c + 1] && !b[r + 2][c] && (!b[r + 2][c - 1] != !b[r + 2][c + 1]);
        }
    return -0.51 * total + 0.76 * double(lines) - 0.36 * holes - 0.18 * bumps + (slots ? 2.0 : 0) +
           (tspins && tspin ? 8.0 : 0);
}

// Plays one way of placing the piece in play from the present state: turns, shifts, a drop, and
// perhaps a twist once it lands; returns the key slots of each frame up to the next piece.
std::vector<std::uint8_t> tryplacing(int turns, int shift, int twist, double* worth, bool tspins) {
    std::vector<std::uint8_t> frames;
    const auto& g = ingamev;
    const std::uint64_t pieces = g.piececount, lines = g.lines;
    bool tspin = false;
    auto step = [&](std::uint8_t slots) {
        frames.push_back(slots);
        playframe(slots);
        tspin = tspin || (g.labeltimer && tspinlabel(g.label) && g.piececount != pieces);
    };
    auto tap = [&](std::uint8_t slots) { step(slots), step(0); };
    for (int k = 0; k < turns; k++)
        tap(slot(turns == 3 ? rotateleftkey : rotaterightkey)), k += turns == 3 ? 2 : 0;
    for (int k = 0; k < std::abs(shift); k++)
        tap(slot(shift < 0 ? leftkey : rightkey));
    if (twist) {
        for (int k = 0; k < 40 && !g.onground && !g.over; k++)
            step(slot(softdropkey));
        step(0);
        tap(slot(twist < 0 ? rotateleftkey : rotaterightkey));
    }
    tap(slot(harddropkey));
    // Soft drop locks a landed piece in the second rule set; the next piece comes after a wait.
    for (int k = 0; k < 100 && !g.over && g.piececount == pieces; k++)
        step(slot(softdropkey));
    for (int k = 0; k < 100 && !g.over && !g.active; k++)
        step(0);
    *worth = judge(g.lines - lines, tspin, tspins);
    return frames;
}

// The best placing the bot finds for the piece in play.
std::vector<std::uint8_t> plan(const game& s, std::uint64_t placed) {
    const snapshot now = take();
    mutesounds(true);
    std::vector<std::uint8_t> best;
    double most = -1e18;
    const bool good = placed < static_cast<std::uint64_t>(s.goodpieces);
    const int twists = s.tspins && ingamev.current == 6 ? 1 : 0; // 6 is the T
    for (int turns = 0; turns < (good ? 4 : 1); turns++)
        for (int shift = good ? -5 : 0; shift <= (good ? 5 : 0); shift++)
            for (int twist = -twists; twist <= twists; twist++) {
                double worth;
                std::vector<std::uint8_t> frames =
                    tryplacing(turns, shift, twist, &worth, s.tspins);
                putback(now);
                if (worth > most)
                    most = worth, best = std::move(frames);
            }
    mutesounds(false);
    return best;
}

void setslots(std::uint8_t slots) {
    for (int k = 0; k < 8; k++)
        (slots >> k & 1 ? headless::press : headless::release)(ingamekeys[k]);
}

// Plays one game through the game's own loop; the recorder writes its replay into "replays".
void play(const game& s) {
    headless::reset();
    headless::setwallclock(s.date);
    std::memset(keys, 0, sizeof keys), std::memset(daskeys, 0, sizeof daskeys);
    std::memset(arrkeys, 0, sizeof arrkeys);
    initscreen();
    std::mt19937 rng(static_cast<std::uint32_t>(s.date));
    std::vector<std::uint8_t> todo;
    std::size_t next = 0;
    std::uint64_t placed = 0, overat = 0, tspins = 0, started = 0, pausedat = 0, pausedframes = 0;
    std::uint8_t slots = 0, lastlabel = 0;
    bool ingameon = false;
    const unsigned row = modes[s.mode].menurow;
    headless::onframe([&](std::uint64_t n) {
        if (!ingameon) {
            // Down to the game's row, tapped a frame apart, then Start, let go as the game begins.
            if (n <= 2 * row)
                (n % 2 ? headless::press : headless::release)(guikeys[1]);
            (n == 2 * row + 1 ? headless::press : headless::release)(guikeys[6]);
            return;
        }
        const auto& g = ingamev;
        const std::uint64_t f = n - started;
        if (g.labeltimer && g.label != lastlabel && tspinlabel(g.label))
            tspins++;
        lastlabel = g.labeltimer ? g.label : 0;
        pausedframes += g.paused;
        if (g.over) {
            overat = overat ? overat : f;
            slots = f > overat + 30 ? slot(holdkey) | slot(pausekey) : 0;
        } else if (s.pauseat && f >= s.pauseat && next == todo.size() &&
                   (pausedat ? f <= pausedat + s.pausefor + 1 : f < s.pauseat + s.pausefor)) {
            // Between two pieces: down on the first frame, let go, down again after the pause.
            pausedat = pausedat ? pausedat : f;
            const std::uint64_t k = f - pausedat;
            slots = k == 0 || k == s.pausefor ? slot(pausekey) : 0;
        } else if (s.by == player::bot) {
            if (f > 30000) // no game in the list runs this long: let it end
                placed = 1u << 30;
            if (next == todo.size() && g.active && !g.paused)
                todo = plan(s, placed++), next = 0;
            slots = next < todo.size() ? todo[next++] : 0;
        } else {
            // Keys at random, changing at most every few frames for the slow player; after a while
            // the pieces are only dropped, so the game runs into the top.
            const bool slow = s.by == player::slowkeys;
            if (f > (slow ? 1200u : 300u))
                slots = f % 2 ? slot(harddropkey) : 0;
            else if (!slow || rng() % 12 == 0)
                for (int k = 0; k < 8; k++)
                    if (k != pausekey && k != holdkey && rng() % (slow ? 8 : 5) == 0)
                        slots ^= slot(k);
        }
        setslots(slots);
    });
    if (s.frommenu) {
        const unsigned char chosen = menu();
        if (chosen != row)
            std::fprintf(stderr, "%s: the menu started row %d, not %u\n", s.name, chosen, row);
    }
    started = headless::frame();
    ingameon = true;
    keepgames(true);
    ingame(s.mode);
    keepgames(false);
    headless::onframe(nullptr);
    std::printf("%s: %s; %llu T-spins, %llu frames paused\n", s.name,
                describe(currentresult()).c_str(), static_cast<unsigned long long>(tspins),
                static_cast<unsigned long long>(pausedframes));
    std::fflush(stdout);
}

using bytes = std::vector<unsigned char>;

bytes load(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void save(const fs::path& p, const bytes& b) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

void sealed(bytes& b) {
    const std::uint32_t sum = crc32(b.data(), b.size() - 4);
    for (int k = 0; k < 4; k++)
        b[b.size() - 4 + k] = static_cast<unsigned char>(sum >> (8 * k));
}

// The damaged files, from a won game: one whose recorded end is off by one point (a playback
// reaches another end), and three that are no replay the game plays: cut in half, a bit flipped
// under the checksum, and a newer format.
void damage(const fs::path& folder) {
    const bytes won = load(folder / "0-dropple3-won.replay");
    if (won.size() < 400) {
        std::fprintf(stderr, "0-dropple3-won.replay is missing\n");
        return;
    }
    bytes edited = won;
    edited[edited.size() - 49]++; // the low byte of the score
    sealed(edited);
    save(folder / "1-edited-end.replay", edited);
    save(folder / "2-cut.replay", bytes(won.begin(), won.begin() + long(won.size() / 2)));
    bytes flipped = won;
    flipped[300] ^= 0x40;
    save(folder / "2-flipped.replay", flipped);
    bytes newer = won;
    newer[8] = 2;
    sealed(newer);
    save(folder / "2-newer.replay", newer);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: replayrecorder FOLDER [NAME...]\n");
        return 2;
    }
    const fs::path out = fs::absolute(argv[1]);
    const std::vector<std::string> only(argv + 2, argv + argc);
    // A folder of this run's own: builds tested side by side record at the same time.
    fs::path work;
    do
        work = fs::temp_directory_path() /
               ("dropple-replayrecorder-" + std::to_string(std::random_device{}()));
    while (!fs::create_directory(work));
    int status = 0;
    for (const game& s : games) {
        if (!only.empty() && std::find(only.begin(), only.end(), s.name) == only.end())
            continue;
        // Each game in an empty folder: the default settings, and its replay alone there.
        fs::remove_all(work);
        fs::create_directories(work / "replays");
        fs::current_path(work);
        play(s);
        std::vector<fs::path> made;
        for (const auto& e : fs::directory_iterator(work / "replays"))
            made.push_back(e.path());
        fs::current_path(out);
        if (made.size() != 1) {
            std::fprintf(stderr, "%s: the game kept %zu replays, not one\n", s.name, made.size());
            status = 1;
            continue;
        }
        fs::copy_file(made[0], out / s.name, fs::copy_options::overwrite_existing);
    }
    fs::remove_all(work);
    if (only.empty())
        damage(out);
    return status;
}
