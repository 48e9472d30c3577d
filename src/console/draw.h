// The in-game screen: the static background painted at game start and the per-frame picture.
#pragma once

void draw();
// Paints what stays put for a whole game: the background, the playfield, the counter labels and
// the title of `ingamev.mode`.
void paintgame();
