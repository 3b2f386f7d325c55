#include "engine/api/radiosity_api.h"

#include <cstring>

#include "engine/scene.h"
#include "engine/solution.h"

using kiv::scene;

namespace {
kiv::SolutionDriver driver() { return kiv::SolutionDriver(scene()); }
kiv::SolutionState& state() { return scene().solution; }
}  // namespace

void KivRadiosity_Initialize() { driver().initialize(); }
void KivRadiosity_DoSolution() { driver().doSolution(); }
void KivRadiosity_End() { driver().end(); }
void KivRadiosity_SetCurrentDir(char* dir) { driver().setCurrentDir(dir); }
char* KivRadiosity_GetCurrentDir() { return scene().currentDir; }
void KivRadiosity_SetCurrentMode(char mode) {
    scene().currentMode = static_cast<unsigned char>(mode);
}
char KivRadiosity_GetCurrentMode() { return static_cast<char>(scene().currentMode); }
void KivRadiosity_SetInitialTotalEnergy() { driver().setInitialTotalEnergy(); }
float KivRadiosity_GetInitialTotalEnergy() { return state().initialTotalEnergy; }
void KivRadiosity_SetCurrentTotalEnergy() { driver().setCurrentTotalEnergy(); }
float KivRadiosity_GetCurrentTotalEnergy() { return state().currentTotalEnergy; }
void KivRadiosity_SetIterationCount(int n) { state().iterationCount = n; }
int KivRadiosity_GetIterationCount() { return state().iterationCount; }
float KivRadiosity_GetProgress() { return state().progress; }
void KivRadiosity_SetDoSolutionCount(int n) { state().solutionCount = n; }
int KivRadiosity_GetDoSolutionCount() { return state().solutionCount; }
char* KivRadiosity_GetStatus() { return state().status; }

void KivRadiosity_GetStatus(char* dst) {
    if (dst != nullptr) std::strcpy(dst, state().status);
}

void KivRadiosity_SetCallBack_Quit(KivQuitCallback fn, void* data) {
    state().quit = fn;
    state().quitData = data;
}

void KivRadiosity_SetCallBack_Iteration(KivIterationCallback fn, void* data) {
    state().iteration = fn;
    state().iterationData = data;
}

void KivRadiosity_SetCallBack_End(KivEndCallback fn, void* data) {
    state().end = fn;
    state().endData = data;
}

void KivRadiosity_SetCallBack_SurfaceIteration(KivSurfaceIterationCallback fn, void* data) {
    state().surfaceIteration = fn;
    state().surfaceIterationData = data;
}
