// Controls of the SDL sound back end beyond the platform seam, for tests and measurements.
#pragma once

#include <cstddef>
#include <vector>

// Waits until the device is open (or known to be absent) and every sound named so far is loaded.
void soundready();

// Stops every sound, forgets them and closes the device; the next open starts afresh.
void soundclose();

// Bytes of sample data held by the loaded sounds, once they are all loaded.
std::size_t soundbytes();

// The largest sound file the game loads; its own are far smaller.
constexpr long wavlargest = 4L << 20;
// The most memory the loaded sounds take, converted to what the device plays; a sound that would
// go past it is skipped. The game's own set takes well under a megabyte.
constexpr std::size_t soundbudget = 64u << 20;
// Whether these are the bytes of a WAV file the mixer converts cheaply: PCM, 8 or 16 bit,
// 8000 to 48000 Hz, mono or stereo, with all of its samples there. When it is, `seconds` (if
// given) receives its length in seconds.
bool wavsane(const unsigned char* bytes, std::size_t n, double* seconds = nullptr);
// Reads the file into `bytes` when it is a regular file of at most wavlargest bytes that passes
// wavsane; false for anything else, which the game passes over as it does a missing sound.
bool wavread(const char* path, std::vector<unsigned char>* bytes);
