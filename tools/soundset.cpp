#include "soundset.h"

using synth::hz;
using synth::sound;
using synth::voice;
using synth::wave;

namespace {

voice tone(double at, double len, int semitones, wave shape, double amp = 1, int curve = 2) {
    voice v;
    v.at = at;
    v.len = len;
    v.from = v.to = hz(semitones);
    v.shape = shape;
    v.amp = amp;
    v.curve = curve;
    return v;
}

voice glide(double at, double len, double from, double to, wave shape, double amp = 1,
            int curve = 2) {
    voice v;
    v.at = at;
    v.len = len;
    v.from = from;
    v.to = to;
    v.shape = shape;
    v.amp = amp;
    v.curve = curve;
    return v;
}

voice hiss(double at, double len, double brightness, double amp, int curve) {
    return glide(at, len, brightness, brightness, wave::noise, amp, curve);
}

voice slow(voice v, double attack) {
    v.attack = attack;
    return v;
}

voice wobble(voice v, double depth) {
    v.vibrato = depth;
    return v;
}

// Announces the next piece: every piece has its own pitch, figure and timbre.
sound piece(int base, wave shape, std::vector<int> steps) {
    sound s;
    s.peak = 0.45;
    double at = 0;
    double each = 0.15 / static_cast<double>(steps.size());
    for (int step : steps) {
        s.voices.push_back(tone(at, each + 0.05, base + step, shape, 1, 2));
        at += each;
    }
    return s;
}

// One ringing note a semitone above the previous count's, so a chain climbs as it grows.
sound combo(int count) {
    sound s;
    s.peak = 0.35;
    voice v = tone(0, 0.17, count - 1, wave::sine, 1, 2);
    s.voices.push_back(v);
    v.from = v.to = 3 * v.from;
    v.amp = 0.25;
    s.voices.push_back(v);
    return s;
}

// A whoosh and a chord that both grow with the number of rows.
sound erase(int rows) {
    const int chord[4] = {3, 7, 10, 15};
    sound s;
    s.peak = 0.25 + 0.1 * rows;
    double len = 0.15 + 0.12 * rows;
    s.voices.push_back(hiss(0, len * 0.7, 1500 + 1000 * rows, 0.6, 2));
    for (int i = 0; i < rows; i++)
        s.voices.push_back(tone(0.03 * i, len - 0.03 * i, chord[i], wave::triangle, 0.5, 2));
    return s;
}

// T-spins share the inharmonic clang and a spinning sweep no other sound uses.
sound tspin(int rows) {
    const int notes[3] = {-2, 1, 5};
    sound s;
    s.peak = 0.45;
    s.voices.push_back(glide(0, 0.16, 300, 900, wave::metal, 0.7, 1));
    s.voices.push_back(glide(0, 0.16, 600, 250, wave::metal, 0.4, 1));
    for (int i = 0; i < rows; i++)
        s.voices.push_back(tone(0.12 + 0.1 * i, 0.25, notes[i], wave::metal, 0.8, 3));
    return s;
}

sound b2b(int kind) {
    sound s;
    s.peak = 0.4;
    if (kind == 0) { // a chain starts: a fifth that steps up
        s.voices.push_back(tone(0, 0.12, -2, wave::saw, 0.6));
        s.voices.push_back(tone(0, 0.12, 5, wave::saw, 0.4));
        s.voices.push_back(tone(0.1, 0.2, 0, wave::saw, 0.6));
        s.voices.push_back(tone(0.1, 0.2, 7, wave::saw, 0.4));
    } else if (kind == 1) { // it goes on: the same chord struck twice
        for (double at : {0.0, 0.12}) {
            s.voices.push_back(tone(at, 0.14, 0, wave::saw, 0.6));
            s.voices.push_back(tone(at, 0.14, 7, wave::saw, 0.4));
        }
    } else { // it breaks: the chord sags
        s.voices.push_back(glide(0, 0.34, hz(0), hz(-7), wave::saw, 0.6, 1));
        s.voices.push_back(glide(0, 0.34, hz(7), hz(0), wave::saw, 0.4, 1));
    }
    return s;
}

sound make(std::vector<voice> voices, double peak) {
    return sound{std::move(voices), peak};
}

} // namespace

std::vector<std::pair<std::string, sound>> soundset() {
    std::vector<std::pair<std::string, sound>> set;
    set.emplace_back("b2b_start.wav", b2b(0));
    set.emplace_back("b2b_continue.wav", b2b(1));
    set.emplace_back("b2b_end.wav", b2b(2));
    for (int n = 1; n <= 20; n++)
        set.emplace_back("combo" + std::to_string(n) + ".wav", combo(n));
    for (int n = 1; n <= 4; n++)
        set.emplace_back("erase" + std::to_string(n) + ".wav", erase(n));
    for (int n = 0; n <= 3; n++)
        set.emplace_back("tspin" + std::to_string(n) + ".wav", tspin(n));

    set.emplace_back("piece0.wav", piece(-5, wave::triangle, {0, 12}));
    set.emplace_back("piece1.wav", piece(-2, wave::square, {0, 7}));
    set.emplace_back("piece2.wav", piece(3, wave::sine, {0}));
    set.emplace_back("piece3.wav", piece(7, wave::saw, {5, 0}));
    set.emplace_back("piece4.wav", piece(10, wave::bell, {0, 4, 7}));
    set.emplace_back("piece5.wav", piece(14, wave::square, {7, 0}));
    set.emplace_back("piece6.wav", piece(19, wave::saw, {0, 5}));

    set.emplace_back(
        "rotate.wav",
        make({glide(0, 0.05, 1400, 900, wave::sine, 1, 3), hiss(0, 0.012, 6000, 0.3, 2)}, 0.4));
    set.emplace_back("initialrotate.wav",
                     make({glide(0, 0.05, 1500, 1000, wave::triangle, 1, 3),
                           glide(0.05, 0.06, 1800, 1200, wave::triangle, 1, 3)},
                          0.45));
    set.emplace_back("rotfail.wav", make({glide(0, 0.12, 110, 95, wave::square, 1, 1)}, 0.4));
    set.emplace_back(
        "lock.wav",
        make({glide(0, 0.1, 190, 70, wave::sine, 1, 2), hiss(0, 0.03, 2500, 0.4, 2)}, 0.5));
    set.emplace_back(
        "harddrop.wav",
        make({glide(0, 0.16, 260, 50, wave::sine, 1, 2), hiss(0, 0.08, 4000, 0.7, 2)}, 0.6));
    set.emplace_back("softdrop.wav", make({glide(0, 0.035, 620, 560, wave::triangle, 1, 3)}, 0.3));
    set.emplace_back("hold.wav", make({glide(0, 0.12, 500, 1000, wave::triangle, 1, 1),
                                       tone(0.08, 0.07, 7, wave::sine, 0.6, 2)},
                                      0.45));
    set.emplace_back("initialhold.wav", make({glide(0, 0.12, 500, 1000, wave::triangle, 1, 1),
                                              tone(0.08, 0.07, 7, wave::sine, 0.6, 2),
                                              tone(0.12, 0.1, 23, wave::bell, 0.5, 3)},
                                             0.45));
    set.emplace_back("holdfail.wav", make({tone(0, 0.05, -26, wave::square, 1, 1),
                                           tone(0.07, 0.05, -26, wave::square, 1, 1)},
                                          0.4));
    set.emplace_back(
        "pause.wav",
        make({tone(0, 0.1, 7, wave::sine, 1, 1), tone(0.09, 0.12, 2, wave::sine, 1, 2)}, 0.4));

    set.emplace_back("bravo.wav", [] {
        sound s;
        s.peak = 0.55;
        const int up[6] = {3, 7, 10, 15, 19, 22};
        for (int i = 0; i < 6; i++)
            s.voices.push_back(tone(0.06 * i, 0.9 - 0.06 * i, up[i], wave::triangle, 0.5, 2));
        s.voices.push_back(slow(tone(0.35, 0.6, 27, wave::bell, 0.3, 2), 0.05));
        return s;
    }());
    set.emplace_back("levelup.wav", make({tone(0, 0.1, 3, wave::square, 0.6, 1),
                                          tone(0.09, 0.1, 7, wave::square, 0.6, 1),
                                          tone(0.18, 0.1, 10, wave::square, 0.6, 1),
                                          tone(0.27, 0.28, 15, wave::square, 0.6, 2)},
                                         0.45));
    set.emplace_back(
        "levelstop.wav",
        make({tone(0, 0.35, -9, wave::bell, 1, 3), tone(0, 0.35, -21, wave::sine, 0.6, 3)}, 0.55));
    set.emplace_back("gradeup.wav", make({wobble(glide(0, 0.6, 400, 1600, wave::saw, 0.6, 1), 0.01),
                                          slow(tone(0.3, 0.3, 19, wave::bell, 0.4, 2), 0.05)},
                                         0.6));
    set.emplace_back("excellent.wav", [] {
        sound s;
        s.peak = 0.75;
        const int run[4] = {-2, 3, 7, 10};
        for (int i = 0; i < 4; i++)
            s.voices.push_back(tone(0.13 * i, 0.14, run[i], wave::saw, 0.45, 1));
        for (int note : {3, 7, 10, 15})
            s.voices.push_back(
                wobble(slow(tone(0.55, 1.4, note, wave::triangle, 0.4, 2), 0.03), 0.004));
        s.voices.push_back(slow(tone(0.55, 1.2, 27, wave::bell, 0.15, 3), 0.1));
        return s;
    }());
    set.emplace_back("gameover.wav", [] {
        sound s;
        s.peak = 0.7;
        const int fall[4] = {-2, -4, -6, -7};
        for (int i = 0; i < 4; i++)
            s.voices.push_back(tone(0.3 * i, 0.32, fall[i], wave::square, 0.5, 1));
        s.voices.push_back(wobble(slow(tone(1.2, 1.0, -9, wave::square, 0.5, 2), 0.05), 0.01));
        s.voices.push_back(wobble(slow(tone(1.2, 1.0, -21, wave::sine, 0.5, 2), 0.05), 0.01));
        return s;
    }());

    set.emplace_back("ready.wav",
                     make({wobble(slow(tone(0, 0.5, 0, wave::sine, 1, 2), 0.02), 0.006)}, 0.5));
    set.emplace_back("go.wav", make({tone(0, 0.4, 12, wave::triangle, 0.5, 2),
                                     tone(0, 0.4, 16, wave::triangle, 0.4, 2),
                                     tone(0, 0.4, 19, wave::triangle, 0.4, 2)},
                                    0.6));
    set.emplace_back("countdown.wav", make({tone(0, 0.12, 12, wave::sine, 1, 1)}, 0.5));
    set.emplace_back("endingstart.wav", make({glide(0, 1.2, 200, 800, wave::triangle, 0.6, 1),
                                              slow(hiss(0, 1.2, 3000, 0.3, 1), 0.6),
                                              slow(tone(0.6, 0.6, 24, wave::bell, 0.3, 2), 0.1)},
                                             0.6));
    set.emplace_back(
        "garbage.wav",
        make({hiss(0, 0.3, 300, 1, 1), glide(0, 0.3, 70, 55, wave::square, 0.4, 1)}, 0.55));
    set.emplace_back(
        "gem.wav",
        make({tone(0, 0.2, 27, wave::bell, 1, 3), tone(0.08, 0.22, 34, wave::bell, 0.8, 3)}, 0.45));
    return set;
}
