#pragma once
// The general light: a positioned light whose intensity per direction comes from goniometric
// data (KivGeneralLightData) held in the scene's light-data registry and found by index.
#include <cstdio>

#include "engine/kiv_export.h"
#include "engine/kiv_types.h"
#include "engine/light.h"

class KIV_API KivGeneralLight : public KivLight {
  public:
    KivGeneralLight() = default;
    KivGeneralLight(const KivGeneralLight&) = default;
    KivGeneralLight& operator=(const KivGeneralLight&) = default;
    ~KivGeneralLight() override;

    // Type 5, not shot, no energy, at the origin, identity orientation, no data (-1).
    void init() override;
    void del() override;
    // Energy for sample point vertexIndex: the data's candela towards the point (taken in the
    // light's frame) over the squared distance, times unshot; blocked or filtered by the
    // occlusion query for points inside their polygon. Marks the point's shotFlags.
    KivColor shoot(int vertexIndex) override;
    void setType(char type) override;
    char getType() override;
    void setUnshot(KivColor unshot) override;
    KivColor getUnshot() override;
    void setPosition(KivPoint position) override;
    KivPoint getPosition() override;
    void setWorldToLight(KivMatrix worldToLight) override;
    KivMatrix getWorldToLight() override;
    void setLightDataIndex(int index) override;
    KivLong getLightDataIndex() override;
    void output(std::FILE* file) override;

    void setData(KivColor unshot, KivPoint position, int lightDataIndex, KivMatrix worldToLight);

    KivPoint position;
    // Turns world directions into the light's frame (row vectors); its translation row does
    // not apply to directions.
    KivMatrix worldToLight;
    // Index of the data in the light-data registry; -1 when unset.
    KivLong lightDataIndex = -1;
};
