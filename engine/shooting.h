#pragma once
// Shooting state: who shoots, what is being shot at, and the arc-cosine tables offered to the
// light classes. The per-point computations and the update pass work on this state.
#include <cstdint>
#include <vector>

#include "engine/kiv_types.h"

namespace kiv {

// Values of the shoot type.
inline constexpr char kShootNone = 0;
inline constexpr char kShootLight = 1;
inline constexpr char kShootSurface = 2;
inline constexpr char kShootSurvey = 3;
inline constexpr char kShootIndirect = 4;

// The shooting work lists of the environment passes.
struct ShootWorkLists {
    std::vector<std::int32_t> hdriLights;   // HDRI lights shot in the current environment pass
    std::vector<KivPoint> hdriPositions;     // their positions, parallel to hdriLights
    std::vector<std::int32_t> pointLight;    // per sample point: the HDRI light of its largest shot
    void clear() {
        std::vector<std::int32_t>().swap(hdriLights);
        std::vector<KivPoint>().swap(hdriPositions);
        std::vector<std::int32_t>().swap(pointLight);
    }
};

struct ShootingState {
    char shootType = 0;
    char shooterType = 0;
    std::int32_t shooterIndex = 0;
    KivColor shooterUnshot;
    KivPoint shooterPosition;
    KivVector shooterNormal{0.0f, 0.0f, 0.0f, 1.0f};
    KivVector shooterDirection;
    float falloffStart = 0.0f;
    float falloffEnd = 0.0f;
    float beamCos = 0.0f;
    float fieldCos = 0.0f;
    float sourceSpotCoefficient = 0.0f;
    KivMatrix worldToLight;
    std::int32_t lightDataIndex = -1;
    std::int32_t receiverSurface = 0;
    KivPoint receiverPoint;
    KivVector receiverNormal;
    KivColor receiverDiffuse;
    std::int32_t receiverWidth = 0;
    std::int32_t receiverHeight = 0;
    std::int32_t receiverFirst = 0;
    float closeLengthThreshold = 0.0f;

    // Arc-cosine tables: table 1 over [0, 0.9995), table 2 over [0.9995, 1].
    std::vector<float> acosTable1;
    std::vector<float> acosTable2;

    void initializeAcosTable() {}
    void end() {}
};

}  // namespace kiv
