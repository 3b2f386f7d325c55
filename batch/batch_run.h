#pragma once
#include <string>

namespace kiv::batch {

struct BatchOptions {
    std::string scriptPath;
    std::string resultPath;
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
