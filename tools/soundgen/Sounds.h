#pragma once

#include "Dsp.h"

#include <vector>

namespace sounds {

struct Clip {
    int id;
    double seconds; // the intended length
};

// Every clip of the program: water 1-3, hits 101-108, general 201-207, 301.
const std::vector<Clip> &all();

dsp::Buffer make(int id);

} // namespace sounds
