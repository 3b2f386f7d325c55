#pragma once
#include "engine/kiv_export.h"
#include "engine/kiv_types.h"

// Shoot family: one shooter's energy to the sample points, the update pass and the loops.
KIV_API void KivShoot_Initialize();
KIV_API KivLong KivShoot_End();
KIV_API KivLong KivShoot_End(void* scene);
KIV_API void KivShoot_InitializeAcosTable();
KIV_API float KivShoot_InterpolateACOS(double x);
KIV_API void KivShoot_SetType(char type);
KIV_API char KivShoot_GetType();
KIV_API void KivShoot_SetShooterType(char type);
KIV_API char KivShoot_GetShooterType();
KIV_API void KivShoot_SetShooterIndex(int index);
KIV_API int KivShoot_GetShooterIndex();
KIV_API float KivShoot_GetCloseLengthThreshold();
KIV_API void KivShoot_SetShooterParam();
KIV_API void KivShoot_SetShooterParamWithIndex(int index);
KIV_API KivColor KivShoot_RadiosityToVertex(int point);
KIV_API KivLong KivShoot_RadiosityToSurface(int surface);
KIV_API void KivShoot_Radiosity();
KIV_API void KivShoot_DirectLightWithIndex(int index);
KIV_API void KivShoot_UpdateReceiveUnshot();
KIV_API void KivShoot_OutputPrivate();
KIV_API void KivShoot_DirectLight();
KIV_API void KivShoot_IndirectLight();
