// The game's files on an installed system: settings under the player's data folder, sounds where
// the game was installed, unless the working directory has its own.
#include "platform/posix/paths.h"
#include "platform/platform.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#ifndef DROPPLE_DATADIR
#define DROPPLE_DATADIR "/usr/local/share/dropple"
#endif
#ifndef DROPPLE_DATAFROMBIN
#define DROPPLE_DATAFROMBIN "../share/dropple"
#endif

namespace {

bool isfolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Beside the program first, so a copy installed under any prefix (or unpacked from a package
// somewhere else) finds its own sounds; then where the build meant to install them.
std::string installedaudio() {
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        std::string bin(self, static_cast<std::size_t>(n));
        std::string beside = bin.substr(0, bin.rfind('/') + 1) + DROPPLE_DATAFROMBIN "/audio";
        char real[PATH_MAX];
        if (isfolder(beside) && realpath(beside.c_str(), real))
            return real;
    }
    return DROPPLE_DATADIR "/audio";
}

std::string find(const std::string& name) {
    placesfound found;
    struct stat st;
    found.here = name == "audio" ? isfolder(name) : lstat(name.c_str(), &st) == 0;
    found.datahome = std::getenv("XDG_DATA_HOME");
    found.home = std::getenv("HOME");
    if (name == "audio" && !found.here)
        found.installed = installedaudio();
    return placeof(name, found);
}

} // namespace

std::string placeof(const std::string& name, const placesfound& found) {
    if (found.here || (name != "savefile" && name != "audio"))
        return name;
    if (name == "audio")
        return found.installed.empty() ? name : found.installed;
    // A relative $XDG_DATA_HOME is invalid and ignored, as the base directory rules say.
    if (found.datahome && found.datahome[0] == '/')
        return std::string(found.datahome) + "/dropple/savefile";
    if (found.home && found.home[0] == '/')
        return std::string(found.home) + "/.local/share/dropple/savefile";
    return name;
}

// Decided once, on first use: a "savefile" the game itself creates in its working directory later
// must not move the settings mid-run.
std::string whereis(const char* name) {
    std::string n(name);
    // Records and replays live beside the settings, wherever those are.
    if (n == "replays" || n == "records" || n == "records.damaged") {
        const std::string settings = whereis("savefile");
        const std::size_t slash = settings.rfind('/');
        return (slash == std::string::npos ? "" : settings.substr(0, slash + 1)) + n;
    }
    if (n == "savefile") {
        static const std::string at = find(n);
        return at;
    }
    if (n == "audio") {
        static const std::string at = find(n);
        return at;
    }
    return n;
}
