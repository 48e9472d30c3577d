// A tiny additive synthesiser for the game's sound effects. Only +, -, *, / and floor are used on
// doubles (no sin, exp or pow from the C library), so every build writes the same bytes.
#pragma once

#include <cstdint>
#include <vector>

namespace synth {

constexpr int rate = 44100;

enum class wave { sine, triangle, square, saw, noise, bell, metal };

struct voice {
    double at = 0;     // start, seconds
    double len = 0.1;  // length, seconds
    double from = 440; // pitch at the start, Hz (for noise: the brightness)
    double to = 440;   // pitch at the end, Hz
    wave shape = wave::sine;
    double amp = 1;
    double attack = 0.004; // seconds
    int curve = 2;         // decay after the attack: (1 - x)^curve; 0 holds the level
    double vibrato = 0;    // depth as a fraction of the pitch
};

// A semitone count relative to 440 Hz.
double hz(int semitones);

struct sound {
    std::vector<voice> voices;
    double peak = 0.5; // loudest sample as a fraction of full scale
};

// Mixes the voices, fades both ends and scales the loudest sample to the sound's peak.
std::vector<std::int16_t> render(const sound& s);

} // namespace synth
