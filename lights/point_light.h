#pragma once
// An isotropic light at a point: its power spread evenly over the full sphere, falling off with
// the square of the distance.
#include <cstdio>

#include "engine/kiv_export.h"
#include "engine/kiv_types.h"
#include "engine/light.h"

class KIV_API KivPointLight : public KivLight {
  public:
    KivPointLight() = default;
    KivPointLight(const KivPointLight&) = default;
    KivPointLight& operator=(const KivPointLight&) = default;
    ~KivPointLight() override;

    void init() override;
    void del() override;
    // unshot x cosine / (4 pi d^2) at distance d, unless an opaque surface lies between.
    KivColor shoot(int vertexIndex) override;
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
    void output(std::FILE* file) override;

    // Raises a falloff end below the start to the start.
    void setData(KivColor unshot, KivPoint position, float falloffStart, float falloffEnd);

    KivPoint position;
    // Falloff distances, kept for the engine and the output; shoot does not use them.
    float falloffStart = 0.0f;
    float falloffEnd = 0.0f;
};
