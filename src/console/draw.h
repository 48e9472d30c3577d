// The in-game screen: the static background painted at game start and the per-frame picture.
#pragma once

void draw();
