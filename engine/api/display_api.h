#pragma once
#include "engine/kiv_export.h"
#include "engine/kiv_types.h"

// Display family: the display parameters of the current scene. Setters store their argument
// unchanged (colours: red, green and blue only); getters return the stored value.
KIV_API void KivDisplay_InitializeParam();
KIV_API void KivDisplay_SetGamma(float gamma);
KIV_API float KivDisplay_GetGamma();
KIV_API void KivDisplay_SetContrast(float contrast);
KIV_API float KivDisplay_GetContrast();
KIV_API void KivDisplay_SetBrightness(float brightness);
KIV_API float KivDisplay_GetBrightness();
KIV_API void KivDisplay_SetCoefficient(KivColor coefficient);
KIV_API KivColor KivDisplay_GetCoefficient();
KIV_API void KivDisplay_SetReferenceEnergy(float energy);
KIV_API float KivDisplay_GetReferenceEnergy();
KIV_API void KivDisplay_SetReferenceEnergyCoef(float coef);
KIV_API float KivDisplay_GetReferenceEnergyCoef();
KIV_API void KivDisplay_SetAutoReferenceEnergy(KivLong on);
KIV_API KivLong KivDisplay_GetAutoReferenceEnergy();
KIV_API void KivDisplay_SetWhiteBalance(KivColor white);
KIV_API KivColor KivDisplay_GetWhiteBalance();
KIV_API void KivDisplay_SetBlackBalance(KivColor black);
KIV_API KivColor KivDisplay_GetBlackBalance();
KIV_API void KivDisplay_SetReproductFunction(int function);
KIV_API int KivDisplay_GetReproductFunction();
// All ten fields in order; the character is stored sign-extended into the 32-bit flag.
KIV_API void KivDisplay_SetAllParam(float gamma, float contrast, float brightness,
                                    KivColor coefficient, float referenceEnergy,
                                    float referenceEnergyCoef, char autoReferenceEnergy,
                                    KivColor whiteBalance, KivColor blackBalance,
                                    int reproductFunction);
// Applies the display parameters to the tone state (defined with the tone reproduction).
KIV_API void KivDisplay_DoSet();
// Ten lines, one per field; 1 on success, 0 when the file cannot be created.
KIV_API KivLong KivDisplay_Output(const char* path);
