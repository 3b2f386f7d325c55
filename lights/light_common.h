#pragma once
// What the light classes of this library share: the normalisation rule, the copying of the
// three components that parameters carry, the receiver geometry, the treatment of a visibility
// answer, the lit flags, the creators' steps and the text output of four-float values. Each
// class keeps its own fields and its own shoot; these helpers hold only what would otherwise
// be written out the same way in every class.
#include <cmath>
#include <cstdio>
#include <new>
#include <utility>

#include "engine/api/intersection_api.h"
#include "engine/api/light_api.h"
#include "engine/api/shoot_api.h"
#include "engine/api/vertex_api.h"
#include "engine/kiv_types.h"
#include "engine/light.h"
#include "engine/vertex.h"

namespace kiv::lights {

// A receiver facing the light at a smaller cosine than this gets nothing and keeps its flags.
inline constexpr float kMinReceiverCosine = 0.001f;
// 1/(4 pi) and 1/(2 pi) as the nearest single-precision values: an isotropic light spreads its
// power over the full sphere, a cone light over a hemisphere.
inline constexpr float kInvFourPi = 0.0795774683f;
inline constexpr float kInvTwoPi = 0.159154937f;
// The energy of a point that receives nothing.
inline constexpr KivColor kNoEnergy{0.0f, 0.0f, 0.0f, 1.0f};

// Copies x, y, z (r, g, b) and keeps the stored fourth component, as every setter does.
template <class T>
inline void copyXyz(T& to, const T& from) {
    to.x = from.x;
    to.y = from.y;
    to.z = from.z;
}
inline void copyXyz(KivColor& to, const KivColor& from) {
    to.r = from.r;
    to.g = from.g;
    to.b = from.b;
}

// The library's normalisation: a zero-length vector becomes (0, 0, 0), any other is scaled by
// the reciprocal of its length. The fourth component is left as it is.
template <class T>
inline void normaliseXyz(T& v) {
    const float len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (len == 0.0f) {
        v.x = v.y = v.z = 0.0f;
        return;
    }
    const float inv = 1.0f / len;
    v.x *= inv;
    v.y *= inv;
    v.z *= inv;
}

// Sample point i of the current scene's direct grid, the record a light's shoot works on.
inline KivVertex& receiverAt(int i) { return KivVertex_GetPointer()[i]; }

// Where a positioned light stands as seen from a receiver.
struct Incidence {
    KivVector toLight;  // unit vector from the receiver towards the light, zero when they meet
    float distance;     // receiver to light, before normalisation
    float cosine;       // toLight against the receiver's normal, the normal taken as stored
};
inline Incidence incidence(const KivPoint& lightPosition, const KivVertex& receiver) {
    const KivPoint& p = receiver.receivePoint;
    Incidence in;
    in.toLight = KivVector(lightPosition.x - p.x, lightPosition.y - p.y, lightPosition.z - p.z);
    in.distance = std::sqrt(in.toLight.x * in.toLight.x + in.toLight.y * in.toLight.y +
                            in.toLight.z * in.toLight.z);
    // The normalisation rule, on the length already at hand.
    if (in.distance == 0.0f) {
        in.toLight.x = in.toLight.y = in.toLight.z = 0.0f;
    } else {
        const float inv = 1.0f / in.distance;
        in.toLight.x *= inv;
        in.toLight.y *= inv;
        in.toLight.z *= inv;
    }
    const KivVector& n = receiver.normal;
    in.cosine = in.toLight.x * n.x + in.toLight.y * n.y + in.toLight.z * n.z;
    return in;
}

// Whether a receiver at this cosine towards the light is shot at all. Written as "at least"
// so that a NaN cosine (from a NaN position or normal) is not shot either.
inline bool facesLight(float cosine) { return cosine >= kMinReceiverCosine; }

// Applies the answer of a visibility query to the energy on its way: false when the path is
// blocked (exactly 1), the energy filtered by the crossed transparencies when the path runs
// through transparent surfaces only (exactly 0.5), unchanged otherwise.
inline bool passesOccluders(float answer, KivColor& energy) {
    if (answer == 1.0f) return false;
    if (answer == 0.5f) energy *= KivIntersection_GetTransparencyColorResult();
    return true;
}

// The flag of a lit receiver at the given distance from a positioned light: close when the
// shooting state's close-length threshold lies beyond it.
inline unsigned char litFlag(float distance) {
    return KivShoot_GetCloseLengthThreshold() > distance ? kShotLitClose : kShotLit;
}

// The end of a positioned light's shot at vertex v: the energy unshot x f (f the geometric
// factor), nothing below 1e-10 (marked 1 without a query), then occlusion for points inside
// their polygon, and the lit or lit-and-close mark.
inline KivColor deliverFromPosition(KivVertex& v, const KivColor& unshot, float f, float distance) {
    if (f < kKivEnergyEpsilon) {
        v.shotFlags = kShotReachedDark;
        return kNoEnergy;
    }
    KivColor e(unshot.r * f, unshot.g * f, unshot.b * f, 1.0f);
    if (v.inside() > 0.0f && !passesOccluders(KivIntersection_JudgeIntersection(), e)) {
        v.shotFlags = kShotReachedDark;
        return kNoEnergy;
    }
    v.shotFlags = litFlag(distance);
    return e;
}

// The steps of every light's _Create: construct, init through the virtual interface, then the
// creation parameters exactly as setData applies them. Null when memory runs out.
template <class Light, class... Args>
inline Light* createLight(Args&&... args) {
    Light* light = new (std::nothrow) Light;
    if (light == nullptr) return nullptr;
    static_cast<KivLight*>(light)->init();
    light->setData(std::forward<Args>(args)...);
    return light;
}

// The steps of every light's _Instanciate: create, hand the object to the current scene's
// light registry and answer its index there. -1 when memory runs out.
template <class Light, class... Args>
inline int instanciateLight(Args&&... args) {
    Light* light = createLight<Light>(std::forward<Args>(args)...);
    if (light == nullptr) return -1;
    KivLight_Append(light);
    return KivLight_GetInstanceCount() - 1;
}

// Text output: "%f %f %f\n" of the first three components.
inline void writeXyz(std::FILE* f, const KivColor& c) {
    std::fprintf(f, "%f %f %f\n", c.r, c.g, c.b);
}
template <class T>
inline void writeXyz(std::FILE* f, const T& v) {
    std::fprintf(f, "%f %f %f\n", v.x, v.y, v.z);
}

}  // namespace kiv::lights
