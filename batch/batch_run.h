#pragma once
#include <string>

namespace kiv::batch {

struct BatchOptions {
    std::string scriptPath;
    std::string resultPath;
    std::string imagePath;  // tone-mapped PNG of the illuminance atlas, when not empty
    std::string atlasPath;  // the illuminance atlas as a Radiance RGBE file, when not empty
    bool progress = false;  // show the solver's progress on stderr
};

// Exit statuses of a run.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFileError = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitScriptProblem = 3;

// Runs a whole batch job: executes the script, solves, writes the result file and ends the
// scene. Returns the exit status.
int runBatch(const BatchOptions& options);

}  // namespace kiv::batch
