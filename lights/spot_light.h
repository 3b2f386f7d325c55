#pragma once
// A light at a point that emits into a cone: full intensity inside the beam cone, a smooth
// ramp down to the field cone and nothing outside it, shaped by a power of the angle's cosine
// that halves the intensity at the beam angle.
#include <cstdio>

#include "engine/kiv_export.h"
#include "engine/kiv_types.h"
#include "engine/light.h"

class KIV_API KivSpotLight : public KivLight {
  public:
    KivSpotLight() = default;
    KivSpotLight(const KivSpotLight&) = default;
    KivSpotLight& operator=(const KivSpotLight&) = default;
    ~KivSpotLight() override;

    void init() override;
    void del() override;
    // unshot x cosine / (2 pi d^2) x spot factor, unless an opaque surface lies between.
    KivColor shoot(int vertexIndex) override;
    // Derives the cone cosines and the cosine exponent from the angles.
    void doSet() override;
    void setType(char type) override;
    char getType() override;
    void setUnshot(KivColor unshot) override;
    KivColor getUnshot() override;
    void setPosition(KivPoint position) override;
    KivPoint getPosition() override;
    void setFalloffStart(float distance) override;
    float getFalloffStart() override;
    void setFalloffEnd(float distance) override;
    float getFalloffEnd() override;
    // Copies x, y, z as given, without normalising.
    void setDirection(KivVector direction) override;
    KivVector getDirection() override;
    // The angle setters leave the derived cosines as the last doSet made them.
    void setField(float angle) override;
    float getField() override;
    float getFieldCos() override;
    void setBeam(float angle) override;
    float getBeam() override;
    float getBeamCos() override;
    float getSourceSpotCoefficient() override;
    void output(std::FILE* file) override;

    // Widens a field narrower than the beam to the beam and raises a falloff end below the
    // start to the start, then derives the cosines.
    void setData(KivColor unshot, KivPoint position, KivVector direction, float field, float beam,
                 float falloffStart, float falloffEnd);

    // The cubic step from 0 at the outer cosine a to 1 at the inner cosine b (a <= b).
    static float ramp(float a, float b, float x);
    // The intensity factor towards a direction at cosine s from the axis, s within the field.
    static float spotFactor(float fieldCos, float beamCos, float coefficient, float s);

    KivPoint position;
    // Falloff distances, kept for the engine and the output; shoot does not use them.
    float falloffStart = 0.0f;
    float falloffEnd = 0.0f;
    // The cone axis, normalised by setData.
    KivVector direction;
    // Half-angles in degrees of the outer (field) and inner (beam) cones.
    float field = 0.0f;
    float fieldCos = 0.0f;
    float beam = 0.0f;
    float beamCos = 0.0f;
    // Exponent of the cosine falloff: beamCos raised to it is one half.
    float sourceSpotCoefficient = 0.0f;

  protected:
    void setFieldCos(float cosine) override;
    void setBeamCos(float cosine) override;
    void setSourceSpotCoefficient(float coefficient) override;
};
