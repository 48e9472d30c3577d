// Reading a file the player may have replaced with anything: shared by the settings and the sounds.
#pragma once

// Opens the regular file at `path` for reading, without waiting on a FIFO or a device in its place;
// a link the player made to a file elsewhere is followed. A descriptor, with the file's size in
// *size; -1 when there is no such file, -2 when something else is there (left alone).
int openregular(const char* path, long* size);
// Reads up to n bytes; how many it read (fewer at the end of the file), or -1 on an error.
long readall(int fd, unsigned char* buf, long n);
