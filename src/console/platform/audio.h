// Controls of the SDL sound back end beyond the platform seam, for tests and measurements.
#pragma once

#include <cstddef>

// Stops every sound, forgets them and closes the device; the next open starts afresh.
void soundclose();

// Bytes of sample data held by the loaded sounds.
std::size_t soundbytes();
