#include "batch/progress.h"

#include <algorithm>
#include <cstring>

#include "engine/KivRadiosity.h"

namespace kiv::batch {

void ProgressDisplay::attach() { KivRadiosity_SetCallBack_Iteration(&ProgressDisplay::onIteration, this); }

void ProgressDisplay::onIteration(void* self) { static_cast<ProgressDisplay*>(self)->update(); }

void ProgressDisplay::update() {
    char status[256] = {};
    std::strncpy(status, KivRadiosity_GetStatus(), sizeof status - 1);
    float p = KivRadiosity_GetProgress();
    if (!(p >= 0.0f)) p = 0.0f;  // also catches NaN
    p = std::min(p, 1.0f);
    const int shots = KivRadiosity_GetIterationCount();
    char line[320];
    int n = std::snprintf(line, sizeof line, "\r%s: %5.1f%%  shots %d", status[0] ? status : "Solving",
                          static_cast<double>(p * 100.0f), shots);
    n = std::min(n, static_cast<int>(sizeof line) - 1);
    // Blank out what is left of a longer previous line.
    const int pad = std::max(0, lastWidth_ - n);
    std::fprintf(out_, "%s%*s", line, pad, "");
    std::fflush(out_);
    lastWidth_ = n;
    shown_ = true;
}

void ProgressDisplay::finish() {
    if (shown_) std::fputc('\n', out_);
    shown_ = false;
}

}  // namespace kiv::batch
