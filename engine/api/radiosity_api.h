#pragma once
#include "engine/kiv_export.h"
#include "engine/kiv_types.h"

// Radiosity family: preparing and running a solution, its progress and callbacks.
using KivQuitCallback = KivLong (*)(void*);
using KivIterationCallback = void (*)(void*);
using KivEndCallback = void (*)(void*);
using KivSurfaceIterationCallback = KivLong (*)(void*);

KIV_API void KivRadiosity_Initialize();
KIV_API void KivRadiosity_DoSolution();
KIV_API void KivRadiosity_End();
KIV_API void KivRadiosity_SetCurrentDir(char* dir);
KIV_API char* KivRadiosity_GetCurrentDir();
KIV_API void KivRadiosity_SetCurrentMode(char mode);
KIV_API char KivRadiosity_GetCurrentMode();
KIV_API void KivRadiosity_SetInitialTotalEnergy();
KIV_API float KivRadiosity_GetInitialTotalEnergy();
KIV_API void KivRadiosity_SetCurrentTotalEnergy();
KIV_API float KivRadiosity_GetCurrentTotalEnergy();
KIV_API void KivRadiosity_SetIterationCount(int n);
KIV_API int KivRadiosity_GetIterationCount();
KIV_API float KivRadiosity_GetProgress();
KIV_API void KivRadiosity_SetDoSolutionCount(int n);
KIV_API int KivRadiosity_GetDoSolutionCount();
KIV_API char* KivRadiosity_GetStatus();
KIV_API void KivRadiosity_GetStatus(char* dst);
KIV_API void KivRadiosity_SetCallBack_Quit(KivQuitCallback fn, void* data);
KIV_API void KivRadiosity_SetCallBack_Iteration(KivIterationCallback fn, void* data);
KIV_API void KivRadiosity_SetCallBack_End(KivEndCallback fn, void* data);
KIV_API void KivRadiosity_SetCallBack_SurfaceIteration(KivSurfaceIterationCallback fn, void* data);
