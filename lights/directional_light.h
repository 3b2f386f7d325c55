#pragma once
// A light from infinitely far away: parallel rays along one direction, the same energy per
// unit area at every distance.
#include <cstdio>

#include "engine/kiv_export.h"
#include "engine/kiv_types.h"
#include "engine/light.h"

class KIV_API KivDirectionalLight : public KivLight {
  public:
    KivDirectionalLight() = default;
    KivDirectionalLight(const KivDirectionalLight&) = default;
    KivDirectionalLight& operator=(const KivDirectionalLight&) = default;
    ~KivDirectionalLight() override;

    void init() override;
    void del() override;
    // Energy of `unshot` times the receiver's cosine towards the light, unless an opaque
    // surface lies upwind of the point.
    KivColor shoot(int vertexIndex) override;
    void setType(char type) override;
    char getType() override;
    void setUnshot(KivColor unshot) override;
    KivColor getUnshot() override;
    // Copies x, y, z and normalises them.
    void setDirection(KivVector direction) override;
    KivVector getDirection() override;
    void output(std::FILE* file) override;

    void setData(KivColor unshot, KivVector direction);

    // The direction in which the light travels, normalised.
    KivVector direction;
};
