#pragma once
// The two parameter blocks of a scene: the solver parameters (sample spacing, limits and
// switches of the shooting solution) and the display parameters (how energies map to display
// values). Plain value blocks: setters store unchanged, the components that read them decide
// what the values do.
#include <cstdint>

#include "engine/kiv_types.h"
#include "engine/set_rgb.h"

struct KivSolverParameters {
    // Fields in block order; the text dump writes them in this order.
    float interval = 150.0f;
    int intervalMultiple = 1;
    float intervalIndirect = 600.0f;
    int intervalMultipleIndirect = 1;
    int shootStep = 1;
    int receiveStep = 1;
    float colorBleeding = 1.0f;
    KivLong useTextureDiffuse = 1;
    float convergence = 0.5f;
    int maxShootCount = 65535;
    KivLong directLightShoot = 1;
    KivLong indirectLightShoot = 1;

    void setDefaults() { *this = KivSolverParameters(); }
    // All twelve fields in block order.
    void setAll(float interval, int intervalMultiple, float intervalIndirect,
                int intervalMultipleIndirect, int shootStep, int receiveStep, float colorBleeding,
                KivLong useTextureDiffuse, float convergence, int maxShootCount,
                KivLong directLightShoot, KivLong indirectLightShoot);
    // The ten direct fields; the indirect grid follows from them: four times the interval and
    // the same multiple.
    void setAll(float interval, int intervalMultiple, int shootStep, int receiveStep,
                float colorBleeding, KivLong useTextureDiffuse, float convergence,
                int maxShootCount, KivLong directLightShoot, KivLong indirectLightShoot);
    // Writes one line per field into a new file at path. Returns 1, or 0 when the file cannot
    // be created.
    KivLong output(const char* path) const;
};

struct KivDisplayParameters {
    float gamma = 2.5f;
    float contrast = 0.0f;
    float brightness = 0.0f;
    KivColor coefficient{0.299f, 0.587f, 0.114f, 1.0f};
    float referenceEnergy = 0.5f;
    float referenceEnergyCoef = 1.0f;
    std::int32_t autoReferenceEnergy = 1;
    KivColor whiteBalance{1.0f, 1.0f, 1.0f, 1.0f};
    KivColor blackBalance{0.0f, 0.0f, 0.0f, 1.0f};
    int reproductFunction = 1;

    void setDefaults() { *this = KivDisplayParameters(); }
    // All ten fields in block order. The flag arrives as a character and is stored
    // sign-extended, so a byte of 0xFF reads back as -1 on every platform.
    void setAll(float gamma, float contrast, float brightness, KivColor coefficient,
                float referenceEnergy, float referenceEnergyCoef, char autoReferenceEnergy,
                KivColor whiteBalance, KivColor blackBalance, int reproductFunction);
    KivLong output(const char* path) const;
};
