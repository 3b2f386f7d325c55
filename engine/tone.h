#pragma once
// Tone reproduction: maps received energies to display colours and writes them into the
// surfaces' lightmap texels.
#include "engine/kiv_types.h"

class KivScene;

namespace kiv {

// The display values the tone state is derived from.
struct DisplayInput {
    float gamma = 1.0f;
    float contrast = 0.0f;
    float brightness = 0.0f;
    KivColor coefficient;
    float referenceEnergy = 1.0f;
    float referenceEnergyCoef = 1.0f;
    KivLong autoReferenceEnergy = 0;
    KivColor whiteBalance{1.0f, 1.0f, 1.0f};
    KivColor blackBalance;
    int reproductFunction = 1;
};

struct ToneState {
    float coefficient1 = 0.0f;
    float coefficient2 = 0.0f;
    float contrast = 0.0f;
    float brightness = 0.0f;
    float referenceEnergy = 0.0f;
    float referenceEnergyCoef = 0.0f;
    KivLong autoReferenceEnergy = 0;
    KivColor whiteBalance;
    KivColor blackBalance;
    KivColor coefficientColor;
    int reproductFunction = 1;

    // Derives the working values from the display values.
    void setDisplay(const DisplayInput& d);
    void setReproductFunction(int f) { reproductFunction = (f == 2 || f == 3) ? f : 1; }

    // The three reproduction functions, each ending with the contrast and brightness step.
    KivColor function1(const KivColor& e) const;
    KivColor function2(const KivColor& e) const;
    KivColor function3(const KivColor& e) const;
    KivColor reproduce(const KivColor& e) const;
    float contrastBrightness(float x) const {
        return ((x - 0.5f) * (contrast * 0.01f + 1.0f)) + 0.5f + brightness * 0.01f;
    }
};

// Derives the scene's tone state from its display parameters.
void applyDisplay(KivScene& scene);
// Weighted sum of the received energy of every surface's inside points.
float calcTotalReceiveEnergy(KivScene& scene);
// Total received energy over total area, times 1.5 while a shooter is set.
float calcReferenceEnergy(KivScene& scene);
// Maps every sample point of every lightmapped surface into its texel.
void toneReproduction(KivScene& scene);

}  // namespace kiv
