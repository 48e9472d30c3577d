#include "synth.h"

#include <cmath>

namespace synth {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double fade = 0.004; // seconds at each end of a sound, long enough to avoid a click
constexpr double release = 0.005;

// Sine of a phase counted in cycles, by a Taylor series on a quarter wave.
double sine(double cycles) {
    double p = cycles - std::floor(cycles); // 0 <= p < 1
    double x = p < 0.5 ? p : p - 1;         // -0.5 <= x < 0.5
    if (x > 0.25)
        x = 0.5 - x;
    else if (x < -0.25)
        x = -0.5 - x;
    double r = 2 * pi * x;
    double r2 = r * r;
    double term = r;
    double sum = r;
    for (int k = 1; k <= 7; k++) {
        term *= -r2 / ((2 * k) * (2 * k + 1));
        sum += term;
    }
    return sum;
}

double smooth(double x) {
    if (x <= 0)
        return 0;
    if (x >= 1)
        return 1;
    return x * x * (3 - 2 * x);
}

double power(double x, int n) {
    double r = 1;
    for (int i = 0; i < n; i++)
        r *= x;
    return r;
}

struct noisegen {
    std::uint32_t state = 0x9e3779b9u;
    double low = 0;
    double next(double brightness) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        double white = static_cast<double>(state) / 2147483648.0 - 1;
        double k = 2 * pi * brightness / rate;
        low += (k < 1 ? k : 1) * (white - low);
        return low;
    }
};

double oscillate(wave shape, double phase, noisegen& noise, double pitch) {
    switch (shape) {
    case wave::sine:
        return sine(phase);
    case wave::triangle:
        return sine(phase) - sine(3 * phase) / 9 + sine(5 * phase) / 25;
    case wave::square:
        return sine(phase) + sine(3 * phase) / 3 + sine(5 * phase) / 5 + sine(7 * phase) / 7;
    case wave::saw: {
        double s = 0;
        for (int k = 1; k <= 6; k++)
            s += sine(k * phase) / k;
        return s;
    }
    case wave::noise:
        return noise.next(pitch);
    case wave::bell: // a harmonic bell: frequency modulation at twice the pitch
        return sine(phase + 0.35 * sine(2 * phase));
    case wave::metal: // an inharmonic clang
        return sine(phase + 0.5 * sine(1.41 * phase));
    }
    return 0;
}

double envelope(const voice& v, double t) {
    double level = v.attack > 0 ? smooth(t / v.attack) : 1;
    if (v.curve > 0 && t > v.attack)
        level *= power(1 - (t - v.attack) / (v.len - v.attack), v.curve);
    return level * smooth((v.len - t) / release);
}

} // namespace

double hz(int semitones) {
    constexpr double step = 1.0594630943592952646; // the twelfth root of two
    double f = 440;
    for (int i = 0; i < semitones; i++)
        f *= step;
    for (int i = 0; i > semitones; i--)
        f /= step;
    return f;
}

std::vector<std::int16_t> render(const sound& s) {
    double end = 0;
    for (const voice& v : s.voices)
        end = v.at + v.len > end ? v.at + v.len : end;
    std::size_t n = static_cast<std::size_t>(end * rate) + 1;
    std::vector<double> mix(n, 0.0);
    for (const voice& v : s.voices) {
        noisegen noise;
        double phase = 0;
        std::size_t first = static_cast<std::size_t>(v.at * rate);
        std::size_t count = static_cast<std::size_t>(v.len * rate);
        for (std::size_t i = 0; i < count && first + i < n; i++) {
            double t = static_cast<double>(i) / rate;
            double pitch = v.from + (v.to - v.from) * (t / v.len);
            if (v.vibrato > 0)
                pitch *= 1 + v.vibrato * sine(5.5 * t);
            mix[first + i] += v.amp * envelope(v, t) * oscillate(v.shape, phase, noise, pitch);
            phase += pitch / rate; // left unwrapped so an inharmonic modulator stays smooth
        }
    }
    double top = 0;
    double length = static_cast<double>(n - 1) / rate;
    for (std::size_t i = 0; i < n; i++) {
        double t = static_cast<double>(i) / rate;
        mix[i] *= smooth(t / fade) * smooth((length - t) / fade);
        double a = mix[i] < 0 ? -mix[i] : mix[i];
        top = a > top ? a : top;
    }
    std::vector<std::int16_t> out(n);
    double scale = top > 0 ? s.peak * 32767 / top : 0;
    for (std::size_t i = 0; i < n; i++)
        out[i] = static_cast<std::int16_t>(std::lround(mix[i] * scale));
    return out;
}

} // namespace synth
