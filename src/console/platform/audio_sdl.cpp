// Placeholder until sound is built: every request is silent.
#include "console/platform.h"

void soundopen(const std::string&) {}
void soundplay(const std::string&) {}
