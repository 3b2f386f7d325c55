#include "engine/api/tone_api.h"

#include "engine/api/display_api.h"
#include "engine/scene.h"
#include "engine/tone.h"

void KivTone_Reproduction() { kiv::toneReproduction(kiv::scene()); }
float KivTone_CalcTotalReceiveEnergy() { return kiv::calcTotalReceiveEnergy(kiv::scene()); }
float KivTone_CalcReferenceEnergy() { return kiv::calcReferenceEnergy(kiv::scene()); }
KivColor KivTone_ReproductEnergy(KivColor e) { return kiv::scene().tone.function1(e); }
float KivTone_GetUsedDisplayCoefficient1() { return kiv::scene().tone.coefficient1; }
float KivTone_GetUsedDisplayCoefficient2() { return kiv::scene().tone.coefficient2; }
void KivTone_SetReproductFunction(int f) { kiv::scene().tone.setReproductFunction(f); }
int KivTone_GetReproductFunction() { return kiv::scene().tone.reproductFunction; }

void KivDisplay_DoSet() { kiv::applyDisplay(kiv::scene()); }

void KivTone_SetDisplayParam() { KivDisplay_DoSet(); }
