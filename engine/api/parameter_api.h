#pragma once
#include "engine/kiv_export.h"
#include "engine/kiv_types.h"

// Parameter family: the solver parameters of the current scene. Setters store their argument
// unchanged; getters return the stored value.
KIV_API void KivParameter_Initialize();
KIV_API void KivParameter_SetAll(float interval, int intervalMultiple, float intervalIndirect,
                                 int intervalMultipleIndirect, int shootStep, int receiveStep,
                                 float colorBleeding, KivLong useTextureDiffuse, float convergence,
                                 int maxShootCount, KivLong directLightShoot,
                                 KivLong indirectLightShoot);
// The indirect interval becomes 4 x interval and the indirect multiple the interval multiple.
KIV_API void KivParameter_SetAll(float interval, int intervalMultiple, int shootStep,
                                 int receiveStep, float colorBleeding, KivLong useTextureDiffuse,
                                 float convergence, int maxShootCount, KivLong directLightShoot,
                                 KivLong indirectLightShoot);
KIV_API void KivParameter_SetInterval(float interval);
KIV_API float KivParameter_GetInterval();
KIV_API void KivParameter_SetIntervalMultiple(int multiple);
KIV_API int KivParameter_GetIntervalMultiple();
KIV_API void KivParameter_SetIntervalIndirect(float interval);
KIV_API float KivParameter_GetIntervalIndirect();
KIV_API void KivParameter_SetIntervalMultipleIndirect(int multiple);
KIV_API int KivParameter_GetIntervalMultipleIndirect();
KIV_API void KivParameter_SetShootStep(int step);
KIV_API int KivParameter_GetShootStep();
KIV_API void KivParameter_SetReceiveStep(int step);
KIV_API int KivParameter_GetReceiveStep();
KIV_API void KivParameter_SetColorBleeding(float bleeding);
KIV_API float KivParameter_GetColorBleeding();
KIV_API void KivParameter_SetUseTextureDiffuse(KivLong use);
KIV_API KivLong KivParameter_GetUseTextureDiffuse();
KIV_API void KivParameter_SetConvergence(float convergence);
KIV_API float KivParameter_GetConvergence();
KIV_API void KivParameter_SetMaxShootCount(int count);
KIV_API int KivParameter_GetMaxShootCount();
KIV_API void KivParameter_SetDirectLightShoot(KivLong on);
KIV_API KivLong KivParameter_GetDirectLightShoot();
KIV_API void KivParameter_SetIndirectLightShoot(KivLong on);
KIV_API KivLong KivParameter_GetIndirectLightShoot();
// Twelve lines, one per field; 1 on success, 0 when the file cannot be created.
KIV_API KivLong KivParameter_Output(const char* path);
