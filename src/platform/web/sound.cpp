// The game's sounds through Web Audio, made in the page by the same synthesiser the build uses for
// the other platforms' WAV files, so there is nothing to download. Browsers let a page make sound
// only after the player's first gesture: on the next frame every sound is rendered into a buffer of
// its own; a sound asked for before that is not heard.
#include "platform/platform.h"
#include "platform/web/web.h"
#include "soundset.h"

#include <emscripten/emscripten.h>

namespace {

EM_JS(void, jsaddsound, (const char* name, const std::int16_t* samples, int n, int rate), {
    Module.page.addsound(UTF8ToString(name), HEAP16.subarray(samples >> 1, (samples >> 1) + n),
                         rate);
});
EM_JS(int, jswantsounds, (), { return Module.page.wantsounds(); });
EM_JS(void, jsplay, (const char* name), { Module.page.play(UTF8ToString(name)); });

} // namespace

void websounds() {
    if (!jswantsounds())
        return;
    for (const auto& [name, recipe] : soundset()) {
        const std::vector<std::int16_t> samples = synth::render(recipe);
        jsaddsound(name.c_str(), samples.data(), static_cast<int>(samples.size()), synth::rate);
    }
}

// Every sound is made at once on the first gesture; the game's own list of names is not needed.
void soundopen(const std::string&) {}

void soundplay(const std::string& name) {
    jsplay(name.c_str());
}
