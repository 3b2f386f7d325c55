#include "batch/batch_run.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "batch/atlas_image.h"
#include "batch/command_table.h"
#include "batch/interpreter.h"
#include "batch/progress.h"
#include "batch/solution_block.h"
#include "engine/hdri.h"
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

// The optional image outputs; they need the solved scene to still be current.
void writeImages(const BatchOptions& options, const AtlasImage& atlas, BatchState& state) {
    if (!options.atlasPath.empty()) {
        if (atlas.width <= 0 || atlas.height <= 0)
            state.warn("the illuminance atlas is empty: '%s' not written", options.atlasPath.c_str());
        else if (!kiv::writeRgbeFile(options.atlasPath.c_str(), atlas.rgb.data(), atlas.width,
                                     atlas.height))
            state.warn("cannot write the atlas image '%s'", options.atlasPath.c_str());
    }
    if (!options.imagePath.empty()) {
        const std::string why = writeAtlasPng(options.imagePath, atlas);
        if (!why.empty())
            state.warn("cannot write the image '%s': %s", options.imagePath.c_str(), why.c_str());
    }
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
    state.lineNumber = 0;
    ProgressDisplay progress(stderr);
    if (options.progress && state.current != nullptr) progress.attach();
    AtlasImage atlas;
    const bool solved = writeSolutionBlock(result, state, &atlas);
    progress.finish();
    if (solved) writeImages(options, atlas, state);

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
