#pragma once
// The solution driver: preparing a scene, the direct, indirect and interactive loops, the
// energy totals and progress, the divergence handling, the log file and the callbacks.
#include <cstdint>
#include <vector>

#include "engine/kiv_types.h"

class KivScene;

namespace kiv {

using QuitCallback = KivLong (*)(void*);
using IterationCallback = void (*)(void*);
using EndCallback = void (*)(void*);
using SurfaceIterationCallback = KivLong (*)(void*);

// Status text of a preparation that could not create the sample points; a solution started
// after it writes this into its log and does not shoot.
inline constexpr const char* kStatusSampleLimit =
    "Sample Point Limit Exceeded: the solution does not run";

struct SolutionState {
    float initialTotalEnergy = 0.0f;
    float currentTotalEnergy = 0.0f;
    float unshotTotal = 0.0f;
    float receivedTotal = 0.0f;
    std::int32_t iterationCount = 0;
    float progress = 0.0f;
    std::int32_t solutionCount = 0;
    // 192 significant characters plus the divergence text and the terminator.
    char status[256] = {};
    float totalArea = 0.0f;
    // False when the last preparation could not create the sample points.
    bool prepared = true;

    QuitCallback quit = nullptr;
    void* quitData = nullptr;
    IterationCallback iteration = nullptr;
    void* iterationData = nullptr;
    EndCallback end = nullptr;
    void* endData = nullptr;
    SurfaceIterationCallback surfaceIteration = nullptr;
    void* surfaceIterationData = nullptr;

    std::vector<std::int32_t> divergence;

    // The defaults of a fresh scene: Quit and SurfaceIteration answer 0, Iteration and End do
    // nothing, no user data.
    void resetCallbacks();
    void setStatus(const char* text);
};

// Runs solutions on one scene. Like the Shooter it keeps nothing itself; the state is the
// scene's.
class SolutionDriver {
  public:
    explicit SolutionDriver(KivScene& scene) : s_(scene) {}

    // Prepares the scene: sample points, grid, display, surface colours, total area, shooting
    // state, totals. Returns false when the sample points could not be created.
    bool initialize();
    void doSolution();
    void end();

    void setCurrentDir(const char* dir);
    void setInitialTotalEnergy();
    void setCurrentTotalEnergy();

    void directLoop();
    void indirectLoop();
    void interactiveIndirectPhase();
    // Passes for environment light through survey surfaces (mode bit 0x10), in
    // environment_passes.cpp.
    void environmentDirectPass();
    void surveyMultiplePass();

    // Totals over the scene as the energy update computes them.
    float lightTerm(bool onlyUnshot) const;
    float unshotTotal() const;
    float receivedTotal() const;

    // Writes a formatted line into the log (when one is open) and flushes it.
    void log(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

  private:
    bool quitRequested();
    void iterationCallback();
    void clearCurrent();
    // One indirect loop; `interactive` selects the indirect surface shot without clearing the
    // points' current energy. Answers false when no shooter was found at its start. The
    // repetition counter and total time continue across calls.
    enum class LoopEnd { NoShooter, Quit, Done };
    LoopEnd runIndirectShots(bool interactive, int& i, long long& totalTime);
    void appendDivergenceText();

    KivScene& s_;
};

// Milliseconds of processor time.
long long processorMilliseconds();

}  // namespace kiv
