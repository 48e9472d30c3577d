// The "records" file is text, a line per game that has a record:
//   dropple records 1
//   <game> <score> <lines> <level> <frames> <pieces> <how it ended> <date> <replay>
// A file that does not read this way is set aside as "records.damaged" and the table starts anew.
#include "frontend/records.h"
#include "frontend/frontend.h"
#include "platform/platform.h"
#include "shell/modes.h"

#include <cctype>
#include <cstdio>
#include <ctime>
#include <sstream>
#include <vector>

namespace {

struct record {
    std::uint8_t mode;
    gameresult end;
    std::int64_t date;
    std::string replay;
};

// The games that keep a record: those of the menu. The table's row for each says what it is.
const modeinfo* kindof(std::uint8_t mode) {
    return mode < modecount && modes[mode].word ? &modes[mode] : nullptr;
}

// The mode of a file-name word, or -1.
int modenamed(const std::string& word) {
    for (int m = 0; m < modecount; m++)
        if (kindof(static_cast<std::uint8_t>(m)) && word == modes[m].word)
            return m;
    return -1;
}

// Their modes in the menu's order.
std::vector<std::uint8_t> kinds() {
    std::vector<std::uint8_t> out;
    for (int row = 0; row < menurows(); row++)
        if (const int m = modeatrow(static_cast<unsigned>(row)); m >= 0 && kindof(std::uint8_t(m)))
            out.push_back(static_cast<std::uint8_t>(m));
    return out;
}

std::vector<std::string> said;

// Whether `a` beats `b`; an equal result leaves the older record standing.
bool beats(best by, const gameresult& a, const gameresult& b) {
    switch (by) {
    case best::none:
        return false;
    case best::score:
        return a.score > b.score;
    case best::time: // only a won game has a time
        return a.how == wongame && (b.how != wongame || a.frames < b.frames);
    case best::level:
        return a.level > b.level || (a.level == b.level && a.frames < b.frames);
    }
    return false;
}

bool validname(const std::string& n) {
    if (n.size() < 8 || n.size() > 64 || n[0] == '.' || n.compare(n.size() - 7, 7, ".replay") != 0)
        return false;
    for (char c : n)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.'))
            return false;
    return true;
}

// The records in the file; false when it is there but does not read as records.
bool load(std::vector<record>* out, std::string* bytes) {
    std::vector<unsigned char> buf(16384);
    long n = readfile("records", buf.data(), static_cast<long>(buf.size()));
    if (n == -1)
        return true;
    if (n < 0)
        return false;
    bytes->assign(buf.begin(), buf.begin() + n);
    if (n == static_cast<long>(buf.size()))
        return false;
    std::istringstream in(*bytes);
    std::string line;
    if (!std::getline(in, line) || (line != "dropple records 1" && line != "dropple records 1\r"))
        return false;
    while (std::getline(in, line)) {
        // A file saved by an editor may end its lines in CR LF, or end in a blank line.
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        std::istringstream words(line);
        std::string slug, extra;
        record r{};
        unsigned how = 3;
        if (!(words >> slug >> r.end.score >> r.end.lines >> r.end.level >> r.end.frames >>
              r.end.pieces >> how >> r.date >> r.replay) ||
            (words >> extra) || how > wongame || !validname(r.replay))
            return false;
        r.end.how = static_cast<std::uint8_t>(how);
        const int m = modenamed(slug);
        if (m < 0)
            return false;
        r.mode = static_cast<std::uint8_t>(m);
        for (const record& o : *out)
            if (o.mode == r.mode)
                return false;
        out->push_back(r);
    }
    return true;
}

std::vector<record> loadorsetaside() {
    std::vector<record> table;
    std::string bytes;
    if (!load(&table, &bytes)) {
        replacefile("records.damaged", reinterpret_cast<const unsigned char*>(bytes.data()),
                    static_cast<long>(bytes.size()));
        notice("dropple: the records file was damaged; it is kept as " +
               whereis("records.damaged") + " and the records start anew.");
        table.clear();
    }
    return table;
}

std::string shown(const modeinfo& k, const gameresult& e) {
    char line[80];
    const std::string time = gametime(e.frames);
    if (k.record == best::score)
        std::snprintf(line, sizeof line, "score %llu", static_cast<unsigned long long>(e.score));
    else if (k.record == best::time)
        std::snprintf(line, sizeof line, "%llu lines in %s",
                      static_cast<unsigned long long>(e.lines), time.c_str());
    else
        std::snprintf(line, sizeof line, "level %llu in %s",
                      static_cast<unsigned long long>(e.level), time.c_str());
    return line;
}

std::string day(std::int64_t date) {
    std::time_t t = static_cast<std::time_t>(date);
    char text[16] = "?";
    if (const std::tm* local = std::localtime(&t))
        std::strftime(text, sizeof text, "%Y-%m-%d", local);
    return text;
}

} // namespace

std::string gameslug(std::uint8_t mode) {
    const modeinfo* k = kindof(mode);
    return k ? k->word : "mode" + std::to_string(mode);
}

void noterecord(std::uint8_t mode, const gameresult& end, std::int64_t date,
                const std::string& replay) {
    const modeinfo* k = kindof(mode);
    // A game left in play is kept as a replay but is no one's best.
    if (!k || end.how == leftgame || (k->record == best::time && end.how != wongame))
        return;
    std::vector<record> table = loadorsetaside();
    record* old = nullptr;
    for (record& r : table)
        old = r.mode == mode ? &r : old;
    if (old && !beats(k->record, end, old->end))
        return;
    if (old)
        *old = {mode, end, date, replay};
    else
        table.push_back({mode, end, date, replay});

    std::string text = "dropple records 1\n";
    for (const record& r : table) {
        std::ostringstream line;
        line << gameslug(r.mode) << ' ' << r.end.score << ' ' << r.end.lines << ' ' << r.end.level
             << ' ' << r.end.frames << ' ' << r.end.pieces << ' ' << unsigned(r.end.how) << ' '
             << r.date << ' ' << r.replay << '\n';
        text += line.str();
    }
    if (replacefile("records", reinterpret_cast<const unsigned char*>(text.data()),
                    static_cast<long>(text.size())))
        notice("dropple: new best in " + std::string(k->name) + ": " + shown(*k, end) + ".");
    else
        notice("dropple: the records cannot be written to " + whereis("records") + ".");
}

std::vector<std::string> recordreplays() {
    std::vector<record> table;
    std::string bytes;
    load(&table, &bytes);
    std::vector<std::string> names;
    for (const record& r : table)
        names.push_back(r.replay);
    return names;
}

int printrecords() {
    std::vector<record> table = loadorsetaside();
    printnotices();
    std::printf("Personal bests (%s):\n\n", whereis("records").c_str());
    for (const std::uint8_t mode : kinds()) {
        const modeinfo& k = modes[mode];
        const record* r = nullptr;
        for (const record& c : table)
            r = c.mode == mode ? &c : r;
        if (r)
            std::printf("  %-16s %-24s %s  %s\n", k.name, shown(k, r->end).c_str(),
                        day(r->date).c_str(), r->replay.c_str());
        else
            std::printf("  %-16s %s\n", k.name, "-");
    }
    std::printf("\nReplays: %s\n", whereis("replays").c_str());
    return 0;
}

void notice(const std::string& line) {
    for (const std::string& s : said)
        if (s == line)
            return;
    said.push_back(line);
}

std::string wrapped(const std::string& line, std::size_t width) {
    // Lines that follow the first stand under its text, after the program's name.
    const std::string indent(line.starts_with("dropple: ") ? 9 : 0, ' ');
    std::string out;
    std::size_t at = 0, room = width;
    while (line.size() - at > room) {
        // The last space that leaves the part before it within the width; a word longer than the
        // width (a long path) is cut where the width ends.
        std::size_t cut = line.rfind(' ', at + room);
        if (cut == std::string::npos || cut <= at)
            cut = at + room;
        out.append(line, at, cut - at);
        out += '\n' + indent;
        at = cut;
        while (at < line.size() && line[at] == ' ')
            at++;
        room = width - indent.size();
    }
    return out + line.substr(at);
}

void printnotices() {
    for (const std::string& s : said)
        std::fprintf(stderr, "%s\n", wrapped(s, 80).c_str());
    said.clear();
}
