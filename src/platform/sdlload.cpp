// Loading the SDL module, and the sound calls of the Linux program, which go to the module once
// it is there. Until then the sounds named are kept, and those asked to play are played when it
// arrives unless they have waited more than two frames, as the mixer does while its device opens.
// The window loads the module as it opens; the terminal loads it on a thread of its own once its
// first picture is out. Every call into the module is made on the game's thread.
#include "platform/sdlload.h"
#include "platform/platform.h"
#include "platform/sdlparts.h"

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <mutex>
#include <pthread.h>
#include <unistd.h>
#include <vector>

#ifndef DROPPLE_MODULEDIR
#define DROPPLE_MODULEDIR "/usr/local/libexec/dropple"
#endif
#ifndef DROPPLE_MODULEFROMBIN
#define DROPPLE_MODULEFROMBIN "../libexec/dropple"
#endif
#ifndef DROPPLE_VERSION
#define DROPPLE_VERSION "0"
#endif

namespace {

std::once_flag tried;
std::atomic<const sdlparts*> parts{nullptr};
std::string failure; // written once, under `tried`

std::string folderofself() {
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return "";
    const std::string bin(self, static_cast<std::size_t>(n));
    return bin.substr(0, bin.rfind('/') + 1);
}

void loadonce() {
    const std::string bin = folderofself(), name = sdlmodulename;
    std::vector<std::string> places;
    if (!bin.empty())
        places = {bin + name, bin + DROPPLE_MODULEFROMBIN "/" + name};
    places.push_back(DROPPLE_MODULEDIR "/" + name);
    for (const std::string& at : places) {
        if (access(at.c_str(), F_OK) != 0)
            continue;
        // Every symbol bound now: a library that lacks one fails here, not in the middle of a game.
        void* lib = dlopen(at.c_str(), RTLD_NOW | RTLD_LOCAL);
        const char* error = lib ? nullptr : dlerror();
        using entry = const sdlparts* (*)();
        const auto take = lib ? reinterpret_cast<entry>(dlsym(lib, "dropplesdlparts")) : nullptr;
        const sdlparts* p = take ? take() : nullptr;
        if (p && std::strcmp(p->version, DROPPLE_VERSION) == 0) {
            parts = p;
            return;
        }
        if (failure.empty())
            failure = error ? error : at + " belongs to another version of the game";
        if (lib)
            dlclose(lib);
    }
    if (failure.empty())
        failure = name + " is not installed";
}

using steady = std::chrono::steady_clock;
constexpr auto stale = std::chrono::milliseconds(34); // two frames

struct request {
    std::string name;
    steady::time_point when;
};

// All on the game's thread, but `arrived`, which the loader sets.
enum class sound { waiting, loading, there, silent };
sound state = sound::waiting;
std::vector<std::string> named;
std::vector<request> early;
pthread_t loader;
std::atomic<bool> arrived{false};

void* loadaside(void*) {
    sdlload();
    arrived = true;
    return nullptr;
}

// A game that ends while the module loads waits for the loader, not for the sounds.
void joinloader() {
    if (state == sound::loading)
        pthread_join(loader, nullptr);
    state = sound::silent;
}

void handover() {
    const sdlparts* p = parts;
    state = p ? sound::there : sound::silent;
    if (p) {
        for (const std::string& name : named)
            p->soundopen(name);
        const auto now = steady::now();
        for (const request& r : early)
            if (now - r.when <= stale)
                p->soundplay(r.name);
    }
    named.clear();
    early.clear();
}

// The loader has finished, or the window has loaded the module already.
void settle() {
    if (state == sound::loading && arrived) {
        pthread_join(loader, nullptr);
        handover();
    } else if (state == sound::waiting && parts) {
        handover();
    }
}

} // namespace

const sdlparts* sdlload(std::string* why) {
    std::call_once(tried, loadonce);
    if (!parts && why)
        *why = failure;
    return parts;
}

void soundstart() {
    settle();
    if (state != sound::waiting)
        return;
    if (pthread_create(&loader, nullptr, loadaside, nullptr) != 0) {
        sdlload();
        handover();
        return;
    }
    state = sound::loading;
    std::atexit(joinloader);
}

void soundopen(const std::string& name) {
    settle();
    if (state == sound::there)
        parts.load()->soundopen(name);
    else if (state != sound::silent)
        named.push_back(name);
}

void soundplay(const std::string& name) {
    soundstart();
    if (state == sound::there) {
        parts.load()->soundplay(name);
    } else if (state == sound::loading) {
        const auto now = steady::now();
        std::erase_if(early, [&](const request& r) { return now - r.when > stale; });
        early.push_back({name, now});
    }
}
