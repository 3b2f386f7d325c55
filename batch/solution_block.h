#pragma once
#include <cstdio>

#include "batch/command_table.h"

namespace kiv::batch {

// Runs the solution on the current scene and appends the solution block to the result file.
// Returns false when there is no scene to solve.
bool writeSolutionBlock(std::FILE* result, BatchState& state);

}  // namespace kiv::batch
