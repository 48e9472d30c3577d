// Where the Windows program keeps its files. A folder with its own "savefile" keeps everything
// beside it, as players' folders always have. Otherwise the settings, records and replays live in
// the player's %LOCALAPPDATA%\Dropple, so a copy in a folder it may not write to (Program Files),
// or started from a shortcut that starts in another folder, still saves in one known place. The
// sounds come from the starting folder, else from beside the program.
#include "platform/platform.h"

#include <windows.h>

namespace {

bool exists(const std::string& path, bool folder) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (!folder || (a & FILE_ATTRIBUTE_DIRECTORY));
}

// The folder that holds the settings, ending in a backslash; empty for the working directory.
std::string settingsfolder() {
    if (exists("savefile", false))
        return "";
    char local[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("LOCALAPPDATA", local, sizeof local);
    if (n == 0 || n >= sizeof local)
        return ""; // nowhere else to go
    return std::string(local, n) + "\\Dropple\\";
}

std::string audiofolder() {
    if (exists("audio", true))
        return "audio";
    char self[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
    if (n == 0 || n >= sizeof self)
        return "audio";
    std::string beside(self, n);
    beside = beside.substr(0, beside.find_last_of("\\/") + 1) + "audio";
    return exists(beside, true) ? beside : "audio";
}

} // namespace

// Decided once, on first use: the "savefile" the game itself creates later must not move the
// files mid-run.
std::string whereis(const char* name) {
    const std::string n(name);
    if (n == "savefile" || n == "records" || n == "records.damaged" || n == "replays") {
        static const std::string folder = settingsfolder();
        return folder + n;
    }
    if (n == "audio") {
        static const std::string folder = audiofolder();
        return folder;
    }
    return n;
}
