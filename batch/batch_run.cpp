#include "batch/batch_run.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "batch/command_table.h"
#include "batch/interpreter.h"
#include "batch/solution_block.h"
#include "engine/KivRadiosity.h"

namespace kiv::batch {
namespace {

// Scenes the script created but left behind (not current at the end) are ended too, so that a
// run releases everything it allocated.
void endOtherScenes(BatchState& state) {
    for (void* h : state.created)
        if (h != state.current) KivScene_End(h);
    state.created.clear();
}

}  // namespace

int runBatch(const BatchOptions& options) {
    std::FILE* script = std::fopen(options.scriptPath.c_str(), "r");
    if (script == nullptr) {
        std::fprintf(stderr, "KivBatch: cannot open script '%s': %s\n", options.scriptPath.c_str(),
                     std::strerror(errno));
        return kExitFileError;
    }
    std::FILE* result = std::fopen(options.resultPath.c_str(), "w");
    if (result == nullptr) {
        std::fprintf(stderr, "KivBatch: cannot create result file '%s': %s\n",
                     options.resultPath.c_str(), std::strerror(errno));
        std::fclose(script);
        return kExitFileError;
    }

    BatchState state;
    runScript(script, result, state, standardTable());
    writeSolutionBlock(result, state);

    std::fclose(script);
    const bool writeFailed = std::ferror(result) != 0;
    if (std::fclose(result) != 0 || writeFailed) {
        std::fprintf(stderr, "KivBatch: writing '%s' failed: %s\n", options.resultPath.c_str(),
                     std::strerror(errno));
        if (state.current != nullptr) KivScene_End();
        endOtherScenes(state);
        return kExitFileError;
    }
    if (state.current != nullptr) KivScene_End();
    endOtherScenes(state);
    if (state.problems > 0) {
        std::fprintf(stderr, "KivBatch: finished with %d script problem(s)\n", state.problems);
        return kExitScriptProblem;
    }
    return kExitOk;
}

}  // namespace kiv::batch
