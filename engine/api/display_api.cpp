#include "engine/api/display_api.h"

#include "engine/scene.h"

namespace {
KivDisplayParameters& display() { return kiv::scene().displayParameters; }
}  // namespace

void KivDisplay_InitializeParam() { display().setDefaults(); }
void KivDisplay_SetGamma(float v) { display().gamma = v; }
float KivDisplay_GetGamma() { return display().gamma; }
void KivDisplay_SetContrast(float v) { display().contrast = v; }
float KivDisplay_GetContrast() { return display().contrast; }
void KivDisplay_SetBrightness(float v) { display().brightness = v; }
float KivDisplay_GetBrightness() { return display().brightness; }
void KivDisplay_SetCoefficient(KivColor c) { kiv::setRgb(display().coefficient, c); }
KivColor KivDisplay_GetCoefficient() { return display().coefficient; }
void KivDisplay_SetReferenceEnergy(float v) { display().referenceEnergy = v; }
float KivDisplay_GetReferenceEnergy() { return display().referenceEnergy; }
void KivDisplay_SetReferenceEnergyCoef(float v) { display().referenceEnergyCoef = v; }
float KivDisplay_GetReferenceEnergyCoef() { return display().referenceEnergyCoef; }
void KivDisplay_SetAutoReferenceEnergy(KivLong v) { display().autoReferenceEnergy = v; }
KivLong KivDisplay_GetAutoReferenceEnergy() { return display().autoReferenceEnergy; }
void KivDisplay_SetWhiteBalance(KivColor c) { kiv::setRgb(display().whiteBalance, c); }
KivColor KivDisplay_GetWhiteBalance() { return display().whiteBalance; }
void KivDisplay_SetBlackBalance(KivColor c) { kiv::setRgb(display().blackBalance, c); }
KivColor KivDisplay_GetBlackBalance() { return display().blackBalance; }
void KivDisplay_SetReproductFunction(int v) { display().reproductFunction = v; }
int KivDisplay_GetReproductFunction() { return display().reproductFunction; }

void KivDisplay_SetAllParam(float gamma, float contrast, float brightness, KivColor coefficient,
                            float referenceEnergy, float referenceEnergyCoef,
                            char autoReferenceEnergy, KivColor whiteBalance, KivColor blackBalance,
                            int reproductFunction) {
    display().setAll(gamma, contrast, brightness, coefficient, referenceEnergy, referenceEnergyCoef,
                     autoReferenceEnergy, whiteBalance, blackBalance, reproductFunction);
}

KivLong KivDisplay_Output(const char* path) { return display().output(path); }
