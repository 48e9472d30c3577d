// Sound through SDL2_mixer. Every loaded sound owns one mixer channel, so asking for it again
// restarts it while other sounds go on playing.
//
// Opening the device can take a long time (sound servers, drivers probing hardware; on a machine
// without sound, SDL's ALSA driver makes its caller wait up to 100 ms for its hot-plug thread when
// the subsystem is shut down), so the first sound starts a thread that opens the device and loads
// every sound named so far, while the game draws its first frames. A sound asked for before the
// device is ready is played as soon as it is, unless it has waited more than two frames by then:
// heard that late it would belong to another moment, so it is dropped instead.
#include "platform/platform.h"
#include "platform/sdlsound/sdlsound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using steady = std::chrono::steady_clock;
constexpr auto stale = std::chrono::milliseconds(34); // two frames

struct loaded {
    std::string name;
    Mix_Chunk* chunk;
};

struct request {
    std::string name;
    steady::time_point when;
};

enum class device { untried, opening, open, absent };

// The table, the two lists and the status are guarded by `guard`. While the device is opening, only
// the opener changes the table and the mixer; once it is open, only the game's own thread does.
struct mixerstate {
    std::mutex guard;
    std::vector<loaded> table;        // index = mixer channel
    std::vector<std::string> waiting; // named before the device was open: the opener loads them
    std::vector<request> early;       // asked to play before the device was open
    device status = device::untried;
    SDL_Thread* opener = nullptr;
    bool cleanupset = false;
};
mixerstate state;

void nolog(void*, int, SDL_LogPriority, const char*) {}

bool isnull(int fd) {
    struct stat a, b;
    return fstat(fd, &a) == 0 && stat("/dev/null", &b) == 0 && S_ISCHR(a.st_mode) &&
           a.st_rdev == b.st_rdev;
}

// Audio libraries (ALSA, JACK, the sound servers' clients) complain straight to stderr, and the
// terminal belongs to the game's picture: while the device opens, their words go nowhere. Where
// stderr already goes nowhere (the terminal back end sends it there while it runs), the
// descriptors are left alone.
int hush() {
    if (isnull(STDERR_FILENO))
        return -1;
    std::fflush(stderr);
    int saved = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved >= 0 && null >= 0)
        dup2(null, STDERR_FILENO);
    if (null >= 0)
        close(null);
    return saved;
}

// Gives stderr back, unless someone else has pointed it elsewhere meanwhile: theirs wins.
void unhush(int saved) {
    if (saved < 0)
        return;
    if (isnull(STDERR_FILENO))
        dup2(saved, STDERR_FILENO);
    close(saved);
}

std::string pathof(const std::string& name) {
    return whereis("audio") + "/" + name;
}

std::size_t loadedbytes() {
    std::lock_guard<std::mutex> hold(state.guard);
    std::size_t bytes = 0;
    for (const loaded& l : state.table)
        bytes += l.chunk->alen;
    return bytes;
}

// Loads one sound of the audio folder onto the open device. A missing file, or one that is not a
// plain, small, simple WAV (a FIFO, a device, a huge or exotic file), is skipped.
void load(const std::string& name) {
    std::vector<unsigned char> bytes;
    if (!wavread(pathof(name).c_str(), &bytes))
        return;
    // Converted to the device's rate and format a sound can grow elevenfold: one past the budget
    // is skipped before it is converted.
    double seconds = 0;
    int rate = 0, channels = 0;
    Uint16 format = 0;
    wavsane(bytes.data(), bytes.size(), &seconds);
    Mix_QuerySpec(&rate, &format, &channels);
    const double played = seconds * rate * channels * (SDL_AUDIO_BITSIZE(format) / 8);
    if (loadedbytes() + played > static_cast<double>(soundbudget))
        return;
    Mix_Chunk* chunk =
        Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
    if (!chunk)
        return;
    std::lock_guard<std::mutex> hold(state.guard);
    state.table.push_back({name, chunk});
    Mix_AllocateChannels(static_cast<int>(state.table.size()));
}

void play(const std::string& name) {
    for (std::size_t i = 0; i < state.table.size(); i++)
        if (state.table[i].name == name) {
            Mix_PlayChannel(static_cast<int>(i), state.table[i].chunk, 0);
            return;
        }
}

// The opener thread: the device, then the sounds named meanwhile, then the early requests.
int openandload(void*) {
    int saved = hush();
    bool ok = false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        // 512 frames at 44.1 kHz: a sound starts within about 12 ms of its request.
        ok = Mix_OpenAudioDevice(44100, AUDIO_S16SYS, 1, 512, nullptr, 0) == 0;
        if (ok) {
            Mix_AllocateChannels(0);
            // The loudest frame (a cleared field at the top combo step) sums seven sounds: at
            // 50/128 of each sound's own level it peaks 1 dB below full scale instead of clipping.
            Mix_MasterVolume(50);
        }
    }
    if (!ok) {
        {
            std::lock_guard<std::mutex> hold(state.guard);
            state.status = device::absent;
            state.waiting.clear();
            state.early.clear();
        }
        // This is the call that may wait for the hot-plug thread; the game is not kept waiting.
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        unhush(saved);
        return 0;
    }
    unhush(saved);
    for (;;) {
        std::string name;
        {
            std::lock_guard<std::mutex> hold(state.guard);
            if (state.waiting.empty()) {
                state.status = device::open;
                auto now = steady::now();
                for (const request& r : state.early)
                    if (now - r.when <= stale)
                        play(r.name);
                state.early.clear();
                return 0;
            }
            // It stays on the list while it loads: asked for again meanwhile, it is known, and is
            // not loaded a second time onto a channel of its own.
            name = state.waiting.front();
        }
        load(name);
        std::lock_guard<std::mutex> hold(state.guard);
        state.waiting.erase(state.waiting.begin());
    }
}

bool known(const std::string& name) {
    for (const loaded& l : state.table)
        if (l.name == name)
            return true;
    for (const std::string& w : state.waiting)
        if (w == name)
            return true;
    return false;
}

// The first sound that exists starts the opener; a machine without sound stays silent for good.
void startopener() {
    // Settings and the parts of SDL other subsystems share are made here, on the game's thread,
    // so the opener only ever initialises the audio subsystem.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1"); // the terminal back end owns SIGINT, SIGTERM
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Dropple");
    SDL_LogSetOutputFunction(nolog, nullptr);
    SDL_InitSubSystem(SDL_INIT_EVENTS);
    if (!state.cleanupset) {
        state.cleanupset = true;
        std::atexit(soundclose);
    }
    // An SDL thread, so SDL's own per-thread data is freed when it ends.
    state.opener = SDL_CreateThread(openandload, "soundopen", nullptr);
    if (!state.opener)
        openandload(nullptr);
}

bool exists(const std::string& name) {
    std::vector<unsigned char> bytes;
    return wavread(pathof(name).c_str(), &bytes);
}

} // namespace

void soundopen(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos)
        return;
    std::unique_lock<std::mutex> hold(state.guard);
    if (state.status == device::absent || known(name))
        return;
    switch (state.status) {
    case device::untried:
        if (!exists(name))
            return;
        state.waiting.push_back(name);
        state.status = device::opening;
        hold.unlock();
        startopener();
        return;
    case device::opening:
        state.waiting.push_back(name);
        return;
    case device::open:
        hold.unlock();
        load(name);
        return;
    case device::absent:
        return;
    }
}

void soundplay(const std::string& name) {
    std::lock_guard<std::mutex> hold(state.guard);
    if (state.status == device::open) {
        play(name);
    } else if (state.status == device::opening) {
        auto now = steady::now();
        std::erase_if(state.early, [&](const request& r) { return now - r.when > stale; });
        state.early.push_back({name, now});
    }
}

void soundready() {
    if (state.opener)
        SDL_WaitThread(state.opener, nullptr);
    state.opener = nullptr;
}

void soundclose() {
    soundready();
    std::lock_guard<std::mutex> hold(state.guard);
    if (state.status == device::open) {
        Mix_HaltChannel(-1);
        for (const loaded& l : state.table)
            Mix_FreeChunk(l.chunk);
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    if (state.status != device::untried)
        SDL_QuitSubSystem(SDL_INIT_EVENTS);
    state.table.clear();
    state.waiting.clear();
    state.early.clear();
    state.status = device::untried;
}

std::size_t soundbytes() {
    soundready();
    return loadedbytes();
}
