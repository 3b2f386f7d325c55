#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "batch/command_table.h"

namespace kiv::batch {

// The illuminance atlas as the solution block carries it, kept for the optional image outputs.
struct AtlasImage {
    int width = 0;
    int height = 0;
    std::vector<float> rgb;  // width * height * 3 floats, top row first
};

// Runs the solution on the current scene and appends the solution block to the result file.
// The atlas is copied into atlas when it is not null. Returns false when there is no scene to
// solve (nothing is written then).
bool writeSolutionBlock(std::FILE* result, BatchState& state, AtlasImage* atlas = nullptr);

}  // namespace kiv::batch
