#pragma once
// Sample points: the grid points of every surface, with the energies the solution exchanges.
#include "engine/kiv_export.h"
#include "engine/kiv_types.h"

// Values written into shotFlags by a shot.
inline constexpr unsigned char kShotReachedDark = 1;
inline constexpr unsigned char kShotLit = 2;
inline constexpr unsigned char kShotLitClose = 6;

class KIV_API KivVertex {
public:
    KivVertex() = default;
    KivVertex(const KivVertex&) = default;
    KivVertex& operator=(const KivVertex&) = default;
    virtual ~KivVertex() = default;

    KivPoint shootPoint;
    KivPoint receivePoint;
    KivVector normal;
    KivColor reflectance;
    KivColor unshot;
    // r, g, b hold the accumulated received energy; the fourth component is the inside flag
    // (1 inside or on the polygon, 0 outside). Energy operations touch only r, g, b.
    KivColor received;
    KivColor current;
    float area = 0.0f;
    float weightLeft = 0.0f, weightRight = 0.0f, weightUp = 0.0f, weightDown = 0.0f;
    unsigned char* lightmapTexel = nullptr;
    unsigned char shotFlags = 0;
    int updateNumber = 0;

    float inside() const { return received.a; }
    void setInside(float v) { received.a = v; }
};

class KIV_API KivIndirectVertex : public KivVertex {
public:
    KivColor indirect;
};
