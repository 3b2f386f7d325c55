#pragma once
#include <cstdio>

namespace kiv::batch {

// Shows the solver's phase and progress on one line, rewritten in place after every shot.
class ProgressDisplay {
public:
    explicit ProgressDisplay(std::FILE* out) : out_(out) {}
    // Installs the display as the scene's Iteration callback.
    void attach();
    // Ends the progress line.
    void finish();

private:
    static void onIteration(void* self);
    void update();

    std::FILE* out_;
    bool shown_ = false;
    int lastWidth_ = 0;
};

}  // namespace kiv::batch
