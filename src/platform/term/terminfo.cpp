// Whether the terminal named by TERM can show the game at all. The picture is drawn with the
// escape sequences every terminal of today understands, but a terminal that says it cannot move
// its cursor (TERM=dumb, an editor's shell buffer) or says nothing would be left full of them.
#include "platform/term/terminfo.h"

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

int word(const unsigned char* p) {
    return p[0] | p[1] << 8;
}

// The compiled entry of this name, or nothing when no terminfo folder has one.
std::vector<unsigned char> findentry(const std::string& name) {
    std::vector<std::string> folders;
    if (const char* t = std::getenv("TERMINFO"); t && *t)
        folders.push_back(t);
    if (const char* h = std::getenv("HOME"); h && *h)
        folders.push_back(std::string(h) + "/.terminfo");
    std::string dirs = std::getenv("TERMINFO_DIRS") ? std::getenv("TERMINFO_DIRS") : "";
    for (std::size_t at = 0; !dirs.empty() && at <= dirs.size();) {
        const std::size_t end = std::min(dirs.find(':', at), dirs.size());
        if (end > at)
            folders.push_back(dirs.substr(at, end - at));
        at = end + 1;
    }
    for (const char* f : {"/etc/terminfo", "/lib/terminfo", "/usr/share/terminfo"})
        folders.push_back(f);
    char hex[3];
    static const char digits[] = "0123456789abcdef";
    hex[0] = digits[static_cast<unsigned char>(name[0]) >> 4];
    hex[1] = digits[name[0] & 15];
    hex[2] = 0;
    for (const std::string& f : folders)
        for (const std::string& sub : {std::string(1, name[0]), std::string(hex)}) {
            const int fd = open((f + "/" + sub + "/" + name).c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                continue;
            std::vector<unsigned char> data(65536);
            std::size_t n = 0;
            for (ssize_t got; n < data.size() && (got = read(fd, &data[n], data.size() - n)) > 0;)
                n += static_cast<std::size_t>(got);
            close(fd);
            data.resize(n);
            return data;
        }
    return {};
}

} // namespace

bool entrymovescursor(const unsigned char* data, std::size_t n) {
    if (n < 12)
        return false;
    const int magic = word(data);
    if (magic != 0432 && magic != 01036)
        return false;
    const int names = word(data + 2), bools = word(data + 4), nums = word(data + 6),
              strings = word(data + 8);
    constexpr int cup = 10; // the string capability "cursor_address"
    if (names < 0 || bools < 0 || nums < 0 || strings <= cup || names > 32767)
        return false;
    std::size_t at = 12 + static_cast<std::size_t>(names) + static_cast<std::size_t>(bools);
    at += at & 1; // numbers start on an even byte
    at += static_cast<std::size_t>(nums) * (magic == 01036 ? 4 : 2);
    at += 2 * cup;
    if (at + 2 > n)
        return false;
    const int offset = word(data + at);
    return offset != 0xFFFF && offset != 0xFFFE; // absent, or cancelled
}

std::string undrawable(const char* term) {
    if (!term || !*term)
        return "TERM is not set: no way to draw the game";
    const std::string name = term;
    const std::string cannot = "TERM=" + name + " cannot move the cursor to draw the game";
    if (name == "dumb")
        return cannot;
    // An entry this machine does not know says nothing either way: the game's sequences are the
    // ones every terminal of today has.
    const std::vector<unsigned char> entry = findentry(name);
    if (!entry.empty() && !entrymovescursor(entry.data(), entry.size()))
        return cannot;
    return "";
}
