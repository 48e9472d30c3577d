// The game's own files on Linux.
#include "platform/posix/files.h"
#include "platform/platform.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool writeall(int fd, const unsigned char* data, long n) {
    while (n > 0) {
        ssize_t w = write(fd, data, static_cast<std::size_t>(n));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        data += w;
        n -= w;
    }
    return true;
}

// A new file beside `name`, under a name no one can foresee, made here and now: never a link or a
// file someone else prepared, and never the one another game is writing in the same folder.
int maketemp(const std::string& name, std::string* temp) {
    static unsigned counter = 0;
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; attempt++) {
        timespec t;
        clock_gettime(CLOCK_REALTIME, &t);
        std::uint64_t x = static_cast<std::uint64_t>(t.tv_nsec) * 0x9E3779B97F4A7C15u ^
                          static_cast<std::uint64_t>(getpid()) << 32 ^ ++counter * 0xBF58476Du;
        std::string suffix;
        for (int i = 0; i < 8; i++, x /= 36)
            suffix += letters[x % 36];
        *temp = name + "." + suffix + ".new";
        int fd = open(temp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        // Held while it is written, so that a later save can tell it from one left by a save that
        // was killed.
        if (fd >= 0)
            flock(fd, LOCK_EX);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// mkdir -p of the folder a file is to be in, quietly: a folder that cannot be made shows up as the
// file not being written, which the caller hears of. Only a write makes folders, so asking where
// a file is (--help) leaves the player's home as it was.
void makefolders(const std::string& file) {
    const std::size_t end = file.rfind('/');
    for (std::size_t at = 1; at < end + 1 && end != std::string::npos; at++)
        if (at == end || file[at] == '/')
            if (mkdir(file.substr(0, at).c_str(), 0755) != 0 && errno != EEXIST)
                return;
}

// The rename itself reaches the disk only when the folder holding it is flushed too.
void syncfolder(const std::string& name) {
    std::size_t slash = name.rfind('/');
    std::string folder = slash == std::string::npos ? "."
                         : slash == 0               ? "/"
                                                    : name.substr(0, slash);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// The unfinished files that saves of `name` killed part-way left beside it: none is held by its
// writer any more, and none is so new that its writer may not have taken hold of it yet.
void removeleftovers(const std::string& name) {
    const std::size_t slash = name.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : name.substr(0, slash + 1);
    const std::string base = name.substr(slash == std::string::npos ? 0 : slash + 1);
    for (const std::string& n : listfolder(folder.c_str())) {
        if (n.size() != base.size() + 13 || n.compare(0, base.size() + 1, base + ".") != 0 ||
            n.compare(n.size() - 4, 4, ".new") != 0 ||
            n.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789", base.size() + 1) !=
                n.size() - 4)
            continue;
        const std::string path = slash == std::string::npos ? n : folder + n;
        int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        struct stat st;
        if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &st) == 0 &&
            S_ISREG(st.st_mode) && st.st_mtime + 2 < time(nullptr))
            unlink(path.c_str());
        if (fd >= 0)
            close(fd);
    }
}

int lockfd = -1;

} // namespace

int openregular(const char* path, long* size) {
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? -1 : -2;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return -2;
    }
    *size = static_cast<long>(st.st_size);
    return fd;
}

long readall(int fd, unsigned char* buf, long n) {
    long got = 0;
    while (got < n) {
        ssize_t k = read(fd, buf + got, static_cast<std::size_t>(n - got));
        if (k < 0 && errno == EINTR)
            continue;
        if (k < 0)
            return -1;
        if (k == 0)
            break;
        got += k;
    }
    return got;
}

long readfile(const char* name, unsigned char* buf, long n) {
    const std::string at = whereis(name);
    long size;
    int fd = openregular(at.c_str(), &size);
    if (fd < 0)
        return fd;
    long got = readall(fd, buf, n);
    close(fd);
    return got < 0 ? -2 : got;
}

bool replacefile(const char* name, const unsigned char* data, long n, std::string* why) {
    const std::string at = whereis(name);
    name = at.c_str();
    makefolders(at);
    std::string temp;
    int fd = maketemp(name, &temp);
    bool ok = fd >= 0 && writeall(fd, data, n) && fsync(fd) == 0;
    int error = errno;
    if (fd >= 0 && close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && rename(temp.c_str(), name) == 0) {
        syncfolder(name);
        removeleftovers(at);
        return true;
    }
    if (ok)
        error = errno;
    if (fd >= 0)
        unlink(temp.c_str());
    if (why)
        *why = std::strerror(error);
    return false;
}

std::vector<std::string> listfolder(const char* folder) {
    std::vector<std::string> names;
    if (DIR* d = opendir(folder)) {
        // Files only, as on Windows: a folder of the same name is never the game's.
        struct stat st;
        while (const dirent* e = readdir(d)) {
            const bool sub = e->d_type == DT_DIR ||
                             (e->d_type != DT_REG && fstatat(dirfd(d), e->d_name, &st, 0) == 0 &&
                              S_ISDIR(st.st_mode));
            if (e->d_name[0] != '.' && !sub)
                names.push_back(e->d_name);
        }
        closedir(d);
    }
    return names;
}

bool removefile(const char* name) {
    return unlink(whereis(name).c_str()) == 0 || errno == ENOENT;
}

// A lock on a file beside the records, which goes with the process however it ends.
void holdfiles(bool hold) {
    if (!hold) {
        if (lockfd >= 0)
            close(lockfd);
        lockfd = -1;
        return;
    }
    if (lockfd >= 0)
        return;
    const std::string at = whereis("records") + ".lock";
    makefolders(at);
    lockfd = open(at.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    // A copy stopped while it holds the files does not hold up this one for long: after five
    // seconds it goes on without.
    for (int wait = 0; lockfd >= 0 && flock(lockfd, LOCK_EX | LOCK_NB) != 0 && wait < 500; wait++) {
        const timespec pause{0, 10000000};
        nanosleep(&pause, nullptr);
    }
}
