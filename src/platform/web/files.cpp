// The game's files in the browser's storage, one entry per file under its bare name ("savefile",
// "replays/NAME.replay"). The page's script holds them all in memory, read from the storage when
// the page loads, and writes each file whole as one entry: the browser replaces an entry at once
// or not at all. Where the storage is refused, the files last as long as the page.
#include "platform/platform.h"

#include <cstdlib>
#include <cstring>
#include <emscripten/emscripten.h>

namespace {

EM_JS(int, jsread, (const char* name, unsigned char* into, int most),
      { return Module.page.readfile(UTF8ToString(name), into, most); });
// 0 when written; else a reason, freed by the caller.
EM_JS(char*, jsreplace, (const char* name, const unsigned char* data, int n), {
    return Module.page.cstring(
        Module.page.replacefile(UTF8ToString(name), HEAPU8.slice(data, data + n)));
});
EM_JS(int, jshold, (int hold), { return Module.page.holdfiles(hold); });
EM_JS(int, jsremove, (const char* name), { return Module.page.removefile(UTF8ToString(name)); });
// The names in the folder, each ended by a line break, freed by the caller.
EM_JS(char*, jslist, (const char* folder),
      { return Module.page.cstring(Module.page.listfolder(UTF8ToString(folder))); });

// A name the game asks for with a folder of "./" in front is the same entry.
std::string bare(const char* name) {
    std::string n(name);
    while (n.rfind("./", 0) == 0)
        n.erase(0, 2);
    return n;
}

} // namespace

long readfile(const char* name, unsigned char* buf, long n) {
    return jsread(bare(name).c_str(), buf, static_cast<int>(n));
}

bool replacefile(const char* name, const unsigned char* data, long n, std::string* why) {
    char* reason = jsreplace(bare(name).c_str(), data, static_cast<int>(n));
    if (!reason)
        return true;
    if (why)
        *why = reason;
    std::free(reason);
    return false;
}

std::vector<std::string> listfolder(const char* folder) {
    char* all = jslist(bare(folder).c_str());
    std::vector<std::string> names;
    for (const char* at = all; *at; at += names.back().size() + 1)
        names.emplace_back(at);
    std::free(all);
    return names;
}

bool removefile(const char* name) {
    return jsremove(bare(name).c_str()) != 0;
}

// Every file is kept under its own bare name: the page has no folders of its own to choose from.
std::string whereis(const char* name) {
    return name;
}

void holdfiles(bool hold) {
    // Another tab filing its game's end is let finish for up to five seconds, as on the desktop.
    for (int wait = 0; !jshold(hold) && wait < 500; wait++)
        emscripten_sleep(10);
}
