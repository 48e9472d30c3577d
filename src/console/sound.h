// Fire-and-forget sound effects, addressed by file name ("lock.wav").
#pragma once

#include <string>

// Every sound the game knows, in the order start-up opens them.
extern const char* const soundcatalogue[60];

void loadsound(std::string name);
// How many sounds of the catalogue the audio folder does not have.
int soundsmissing();
void playsound(std::string name);
// While muted no sound is asked for: a game played without a display is silent.
void mutesounds(bool muted);
