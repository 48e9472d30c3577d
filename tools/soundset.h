// The game's sound effects, each built from a few synthesised voices.
#pragma once

#include "synth.h"

#include <string>
#include <utility>
#include <vector>

std::vector<std::pair<std::string, synth::sound>> soundset();
