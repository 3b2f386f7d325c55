#include "batch/solution_block.h"

namespace kiv::batch {

bool writeSolutionBlock(std::FILE*, BatchState& state) {
    if (state.current == nullptr) {
        state.warn("the script leaves no current scene: nothing to solve");
        return false;
    }
    return true;
}

}  // namespace kiv::batch
