// Where the Windows program keeps its files.
#include "platform/platform.h"

#include <windows.h>

// Its settings, sounds, records and replays are in the folder it is started from, beside the
// program.
std::string whereis(const char* name) {
    if (std::string(name) == "replays")
        CreateDirectoryA(name, nullptr);
    return name;
}
