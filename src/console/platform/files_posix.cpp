// The game's own files on Linux.
#include "console/platform.h"

#include <cerrno>
#include <cstdio>

namespace {

// The new contents are written here first, so a file is only ever replaced whole.
std::string tempof(const char* name) {
    return std::string(name) + ".new";
}

} // namespace

long readfile(const char* name, unsigned char* buf, long n) {
    const std::string at = whereis(name);
    name = at.c_str();
    errno = 0;
    std::FILE* f = std::fopen(name, "rb");
    if (!f)
        return errno == ENOENT ? -1 : -2;
    long got = 0;
    while (got < n) {
        std::size_t k = std::fread(buf + got, 1, static_cast<std::size_t>(n - got), f);
        if (k == 0)
            break;
        got += static_cast<long>(k);
    }
    std::fclose(f);
    return got;
}

bool replacefile(const char* name, const unsigned char* data, long n) {
    const std::string at = whereis(name);
    name = at.c_str();
    std::string temp = tempof(name);
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(data, 1, static_cast<std::size_t>(n), f) == static_cast<std::size_t>(n);
    ok = std::fflush(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    if (ok && std::rename(temp.c_str(), name) == 0)
        return true;
    std::remove(temp.c_str());
    return false;
}
