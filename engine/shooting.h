#pragma once
// Shooting: one shooter (a light or a surface's sample points) sends its unshot energy to the
// sample points of the scene; an update pass turns what each point caught into received and
// new unshot energy. The shooting state also carries the arc-cosine tables offered to the
// light classes.
#include <cstdint>
#include <vector>

#include "engine/intersection.h"
#include "engine/kiv_types.h"

class KivScene;
class KivParentSurface;
class KivVertex;

namespace kiv {

// Values of the shoot type.
inline constexpr char kShootNone = 0;
inline constexpr char kShootLight = 1;
inline constexpr char kShootSurface = 2;
inline constexpr char kShootSurvey = 3;
inline constexpr char kShootIndirect = 4;

inline constexpr float kShootPi = 3.1415927f;
inline constexpr float kShootInvPi = 0.31830987f;

// The shooting work lists of the environment passes.
struct ShootWorkLists {
    std::vector<std::int32_t> hdriLights;  // HDRI lights shot in the current environment pass
    std::vector<KivPoint> hdriPositions;   // their positions, parallel to hdriLights
    std::vector<std::int32_t> pointLight;  // per sample point: the HDRI light of its largest shot
    void clear() {
        std::vector<std::int32_t>().swap(hdriLights);
        std::vector<KivPoint>().swap(hdriPositions);
        std::vector<std::int32_t>().swap(pointLight);
    }
};

// Packed copies of the sample points a surface shot works on, indexed like the vertex array.
// A surface shot reads positions and normals many times and accumulates energies over every
// shooting point, so it works on these compact arrays and writes the energies back once.
struct ShotScratch {
    struct Geometry {
        float q[3];    // receiving point
        float n[3];    // unit normal
        float inside;  // inside value
        float pad;
    };
    struct Rgb {
        float r, g, b;
    };
    std::vector<Geometry> geometry;
    std::vector<Rgb> reflect;  // reflectance after colour bleeding
    std::vector<Rgb> current;
    std::vector<Rgb> received;
    std::vector<Rgb> unshot;
    std::vector<Rgb> indirect;  // indirect shots only
    std::vector<unsigned char> flags;
    void release();
};

// The state a shot works with. The visibility queries read the shooter and the receiver
// through the QueryState part, so what the shooting code writes here is what they see.
struct ShootingState : QueryState {
    KivColor shooterUnshot{0.0f, 0.0f, 0.0f, 1.0f};
    // Plane normal of the last surface that shot; zero until one has.
    KivVector shooterNormal{0.0f, 0.0f, 0.0f, 1.0f};
    float falloffStart = 0.0f;
    float falloffEnd = 0.0f;
    float beamCos = 0.0f;
    float fieldCos = 0.0f;
    float sourceSpotCoefficient = 0.0f;
    KivMatrix worldToLight;
    std::int32_t lightDataIndex = -1;
    KivVector receiverNormal{0.0f, 0.0f, 0.0f, 1.0f};
    KivColor receiverDiffuse{0.0f, 0.0f, 0.0f, 1.0f};
    std::int32_t receiverWidth = 0;
    std::int32_t receiverHeight = 0;
    std::int32_t receiverFirst = 0;
    float closeLengthThreshold = 0.0f;

    // Arc-cosine tables: table 1 over [0, 0.9995) with 40000 entries per unit, table 2 over
    // [0.9995, 1] with 4e7 entries per unit.
    static constexpr int kAcosSize1 = 40003;
    static constexpr int kAcosSize2 = 20003;
    static constexpr double kAcosScale1 = 40000.0;
    static constexpr double kAcosScale2 = 4e7;
    std::vector<float> acosTable1;
    std::vector<float> acosTable2;

    ShotScratch scratch;
    // Shooter-receiver pairs examined by surface shots (for measurements only).
    std::uint64_t pairCount = 0;

    void initializeAcosTable();
    // Arc cosine by the tables (built on first use if they have been released).
    float interpolateAcos(double x);
    // Releases the tables and the scratch buffers.
    void end();
};

// The shooting operations on a scene. Holds no state of its own: everything lives in the
// scene's shooting state, so a Shooter can be made wherever one is needed.
class Shooter {
  public:
    explicit Shooter(KivScene& scene) : s_(scene) {}

    // Shoot type, shooter type and index to 0, ray numbering restarted.
    void initialize();
    // Loads the shooter parameters for the current shoot type and shooter index.
    void setShooterParam();

    // The current light shoots at one sample point, at one surface, at every eligible surface.
    KivColor radiosityToVertex(int point);
    KivLong radiosityToSurface(int surface);
    void radiosity();
    void directLightWithIndex(int index);

    // A surface's sample points shoot (shoot type 2): every shooting point with energy shoots
    // at every receiving point, followed by the update pass; then the shooter is cleared and
    // tone reproduction runs.
    void surfaceShot();
    // The same from a surface's sample points (or its indirect ones, shoot type 4) to the
    // indirect sample points, with the indirect update pass.
    void indirectSurfaceShot();

    void updateReceiveUnshot();
    void indirectUpdatePass();
    // A light is marked shot; a surface's (indirect, for shoot type 4) points lose their
    // unshot energy.
    void clearShooter();

    // Next shooter: a light of the requested type (0: by the priority rule) while lights
    // shoot, otherwise the surface with the most unshot energy. -1 when none is left.
    int chooseNextLight(int requestedType);
    int chooseNextSurface();
    int chooseNext(int requestedType);

    // Appends the shooting state to a text file; false when it cannot be opened.
    bool outputPrivate(const char* path);

  private:
    template <bool kIndirect>
    void shootFromSurface();
    template <class Vertex>
    void updatePass(Vertex* points, int pointCount, bool indirectPass);

    KivScene& s_;
};

// Reflectance with colour bleeding b: 1 keeps the colour, 0 greys it at its brightest
// component.
inline KivColor bleedReflectance(const KivColor& rho, float b) {
    float m = rho.r;
    if (rho.g > m) m = rho.g;
    if (rho.b > m) m = rho.b;
    return KivColor::make((rho.r - m) * b + m, (rho.g - m) * b + m, (rho.b - m) * b + m);
}

// Form factor of the disk of area `area` around a shooting point towards a receiving point,
// with the part below the receiver's horizon removed, times pi. d is the unit direction from
// shooter to receiver, nr the receiver's unit normal, f0 the unoccluded point form factor
// (cosine at the shooter times area over squared distance).
inline float diskFormFactor(float f0, float crIn) {
    const float t = std::sqrt(f0 / kShootPi);
    const float r2 = std::sqrt(t * t + 1.0f);
    const float q = t / r2;
    const float G = kShootPi * (q * q);
    const float alpha = std::atan(t);
    const float cr = clampf(crIn, -1.0f, 1.0f);
    const float beta = std::acos(cr);
    constexpr float kHalfPi = kShootPi * 0.5f;
    const float lo = clampf(beta - alpha, -kHalfPi, kHalfPi);
    const float hi = clampf(beta + alpha, -kHalfPi, kHalfPi);
    const float w = (hi - lo) / 2.0f;
    return std::cos(beta - (alpha - w)) * (w / alpha) * G;
}

}  // namespace kiv
