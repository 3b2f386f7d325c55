#include "engine/api/parameter_api.h"

#include "engine/scene.h"

namespace {
KivSolverParameters& params() { return kiv::scene().solverParameters; }
}  // namespace

void KivParameter_Initialize() { params().setDefaults(); }

void KivParameter_SetAll(float interval, int intervalMultiple, float intervalIndirect,
                         int intervalMultipleIndirect, int shootStep, int receiveStep,
                         float colorBleeding, KivLong useTextureDiffuse, float convergence,
                         int maxShootCount, KivLong directLightShoot, KivLong indirectLightShoot) {
    params().setAll(interval, intervalMultiple, intervalIndirect, intervalMultipleIndirect,
                    shootStep, receiveStep, colorBleeding, useTextureDiffuse, convergence,
                    maxShootCount, directLightShoot, indirectLightShoot);
}

void KivParameter_SetAll(float interval, int intervalMultiple, int shootStep, int receiveStep,
                         float colorBleeding, KivLong useTextureDiffuse, float convergence,
                         int maxShootCount, KivLong directLightShoot, KivLong indirectLightShoot) {
    params().setAll(interval, intervalMultiple, shootStep, receiveStep, colorBleeding,
                    useTextureDiffuse, convergence, maxShootCount, directLightShoot,
                    indirectLightShoot);
}

void KivParameter_SetInterval(float v) { params().interval = v; }
float KivParameter_GetInterval() { return params().interval; }
void KivParameter_SetIntervalMultiple(int v) { params().intervalMultiple = v; }
int KivParameter_GetIntervalMultiple() { return params().intervalMultiple; }
void KivParameter_SetIntervalIndirect(float v) { params().intervalIndirect = v; }
float KivParameter_GetIntervalIndirect() { return params().intervalIndirect; }
void KivParameter_SetIntervalMultipleIndirect(int v) { params().intervalMultipleIndirect = v; }
int KivParameter_GetIntervalMultipleIndirect() { return params().intervalMultipleIndirect; }
void KivParameter_SetShootStep(int v) { params().shootStep = v; }
int KivParameter_GetShootStep() { return params().shootStep; }
void KivParameter_SetReceiveStep(int v) { params().receiveStep = v; }
int KivParameter_GetReceiveStep() { return params().receiveStep; }
void KivParameter_SetColorBleeding(float v) { params().colorBleeding = v; }
float KivParameter_GetColorBleeding() { return params().colorBleeding; }
void KivParameter_SetUseTextureDiffuse(KivLong v) { params().useTextureDiffuse = v; }
KivLong KivParameter_GetUseTextureDiffuse() { return params().useTextureDiffuse; }
void KivParameter_SetConvergence(float v) { params().convergence = v; }
float KivParameter_GetConvergence() { return params().convergence; }
void KivParameter_SetMaxShootCount(int v) { params().maxShootCount = v; }
int KivParameter_GetMaxShootCount() { return params().maxShootCount; }
void KivParameter_SetDirectLightShoot(KivLong v) { params().directLightShoot = v; }
KivLong KivParameter_GetDirectLightShoot() { return params().directLightShoot; }
void KivParameter_SetIndirectLightShoot(KivLong v) { params().indirectLightShoot = v; }
KivLong KivParameter_GetIndirectLightShoot() { return params().indirectLightShoot; }

KivLong KivParameter_Output(const char* path) { return params().output(path); }
