// The rules engine: placement test, movement, lock delay, rotation, line clear and score.
#pragma once

#include <cstdint>

bool collision(unsigned short* x, unsigned short* y);

void onground();
bool left();
bool right();
bool drop(bool);
void harddrop();
void ghostupdate();
void lockdelayreset(bool);

void rotateleftSRS();
void rotaterightSRS();
void rotateARS(bool clockwise);

void linecleartest(unsigned short row);
void handle(unsigned int combo, unsigned char chain);
