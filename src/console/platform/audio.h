// Controls of the SDL sound back end beyond the platform seam, for tests and measurements.
#pragma once

#include <cstddef>

// Waits until the device is open (or known to be absent) and every sound named so far is loaded.
void soundready();

// Stops every sound, forgets them and closes the device; the next open starts afresh.
void soundclose();

// Bytes of sample data held by the loaded sounds, once they are all loaded.
std::size_t soundbytes();
