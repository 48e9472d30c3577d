// Sound through SDL2_mixer. Every loaded sound owns one mixer channel, so asking for it again
// restarts it while other sounds go on playing.
#include "console/platform.h"
#include "console/platform/audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct loaded {
    std::string name;
    Mix_Chunk* chunk;
};

// Index = mixer channel.
std::vector<loaded> table;

enum class device { untried, open, absent };
device state = device::untried;
bool cleanupset = false;

void nolog(void*, int, SDL_LogPriority, const char*) {}

// Audio libraries (ALSA, JACK, the sound servers' clients) complain straight to stderr, and the
// terminal belongs to the game's picture: while the device opens, their words go nowhere.
int hush() {
    std::fflush(stderr);
    int saved = dup(2);
    int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved >= 0 && null >= 0)
        dup2(null, 2);
    if (null >= 0)
        close(null);
    return saved;
}

void unhush(int saved) {
    if (saved < 0)
        return;
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
}

// Opened once, on the first sound that exists; a machine without sound stays silent for good.
bool opendevice() {
    if (state != device::untried)
        return state == device::open;
    state = device::absent;
    // The terminal back end owns SIGINT and SIGTERM.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Dropple");
    SDL_LogSetOutputFunction(nolog, nullptr);
    int saved = hush();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        // 512 frames at 44.1 kHz: a sound starts within about 12 ms of its request.
        if (Mix_OpenAudioDevice(44100, AUDIO_S16SYS, 1, 512, nullptr, 0) == 0) {
            state = device::open;
            Mix_AllocateChannels(0);
            // The loudest frame (a cleared field at the top combo step) sums seven sounds: at
            // 50/128 of each sound's own level it peaks 1 dB below full scale instead of clipping.
            Mix_MasterVolume(50);
        } else {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    }
    unhush(saved);
    if (state == device::open && !cleanupset) {
        cleanupset = true;
        std::atexit(soundclose);
    }
    return state == device::open;
}

} // namespace

void soundopen(const std::string& name) {
    if (state == device::absent || name.empty() || name.find('/') != std::string::npos)
        return;
    for (const loaded& l : table)
        if (l.name == name)
            return;
    std::vector<unsigned char> bytes;
    if (!wavread((whereis("audio") + "/" + name).c_str(), &bytes) || !opendevice())
        return;
    Mix_Chunk* chunk =
        Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
    if (!chunk)
        return;
    table.push_back({name, chunk});
    Mix_AllocateChannels(static_cast<int>(table.size()));
}

void soundplay(const std::string& name) {
    if (state != device::open)
        return;
    for (std::size_t i = 0; i < table.size(); i++)
        if (table[i].name == name) {
            Mix_PlayChannel(static_cast<int>(i), table[i].chunk, 0);
            return;
        }
}

void soundclose() {
    if (state == device::open) {
        Mix_HaltChannel(-1);
        for (const loaded& l : table)
            Mix_FreeChunk(l.chunk);
        Mix_CloseAudio();
        SDL_Quit();
    }
    table.clear();
    state = device::untried;
}

std::size_t soundbytes() {
    std::size_t bytes = 0;
    for (const loaded& l : table)
        bytes += l.chunk->alen;
    return bytes;
}
