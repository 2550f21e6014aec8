#pragma once
// What a script does to the simulated disk while the program runs: a file
// held by another program, replaced, or left cut by a copy in progress.
#include <string>

#include "sim/machine/script.h"
#include "sim/os/simulated_os.h"

namespace vesk::sim {

// Empty when done, else why not (the file is not there).
std::string PerformDiskAction(SimulatedOs& os, const ScriptStep& step);

}  // namespace vesk::sim
