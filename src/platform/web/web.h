// Shared between the files of the page back end. The page's own script (page.js) holds what the
// browser owns: the canvas, the keyboard's events, the storage and the audio; these files reach it
// through a few calls into `Module.page`.
#pragma once

#include <cstdint>

// Waits `ms` milliseconds with the browser free to run: events, painting, other tabs. While the
// page is hidden it waits until it shows again. Asyncify unwinds the game's stack meanwhile.
void webwait(double ms);
// Whether the page has had the browser's attention since the last frame boundary.
bool webwaited();

// Makes the sounds, once the page may play them (after the player's first key or click).
void websounds();

// The whole page back end, as the game opens it.
struct backend;
extern const backend webbackend;
