#pragma once
#include "engine/kiv_export.h"
#include "engine/kiv_types.h"

// Tone family: display mapping of the received energies into the lightmaps.
KIV_API void KivTone_SetDisplayParam();
KIV_API void KivTone_Reproduction();
KIV_API float KivTone_CalcTotalReceiveEnergy();
KIV_API float KivTone_CalcReferenceEnergy();
KIV_API KivColor KivTone_ReproductEnergy(KivColor e);
KIV_API float KivTone_GetUsedDisplayCoefficient1();
KIV_API float KivTone_GetUsedDisplayCoefficient2();
KIV_API void KivTone_SetReproductFunction(int f);
KIV_API int KivTone_GetReproductFunction();
