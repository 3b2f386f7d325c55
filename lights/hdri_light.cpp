#include "lights/hdri_light.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "engine/api/intersection_api.h"
#include "engine/api/light_api.h"
#include "engine/api/vertex_api.h"
#include "engine/vertex.h"
#include "lights/KivStandardLights.h"

namespace {

constexpr KivColor kNoEnergy{0.0f, 0.0f, 0.0f, 1.0f};
constexpr float kFourPi = 12.566371f;
constexpr float kInvFourPi = 0.07957747f;
// Degrees to lookup coordinates: u = phi / 360, v = 1 - theta / 180.
constexpr float kPerTurn = 0.0027777778f;
constexpr float kPerHalfTurn = 0.0055555557f;

KivColor imageColour(KivHDRI& image, const kiv::env::Angles& angles, int filterType,
                     int filterSize) {
    KivColor c(0.0f, 0.0f, 0.0f, 1.0f);
    image.GetColor(angles.phi * kPerTurn, 1.0f - angles.theta * kPerHalfTurn, c, 0, filterType,
                   filterSize);
    c.a = 1.0f;
    return c;
}

}  // namespace

void KivHDRILight::init() {
    alreadyShoot = 0;
    type = kKivHDRILight;
    unshot = KivColor(0.0f, 0.0f, 0.0f, 1.0f);
    position = KivPoint(0.0f, 0.0f, 0.0f, 1.0f);
    worldToLight = KivMatrix{};
    upAxis = kiv::env::kDefaultUpAxis;
    dirAxis = kiv::env::kDefaultDirAxis;
    upIndex = kiv::env::kDefaultUpAxis;
    dirIndex = kiv::env::kDefaultDirAxis;
    hatIndex = 0;
    stack = 0;
    slice = 0;
    skylightType = 1;
    releaseLists();
    // Lets go of this light's share; an image other copies hold stays with them.
    image.reset();
    pathHDRI[0] = '\0';
}

void KivHDRILight::del() {
    releaseLists();
    image.reset();
}

void KivHDRILight::releaseLists() {
    std::vector<KivVector>().swap(directionList);
    std::vector<KivColor>().swap(emissionList);
    sampleNum = 0;
}

void KivHDRILight::setCommon(KivColor c, KivPoint p, const KivMatrix& m, char up, char dir,
                             int stackCount, int sliceCount, char skyType) {
    type = kKivHDRILight;
    alreadyShoot = 0;
    setUnshot(c);
    setPosition(p);
    worldToLight = m;
    const kiv::env::Axes axes = kiv::env::setUpAxes(up, dir);
    upAxis = axes.upAxis;
    dirAxis = axes.dirAxis;
    upIndex = axes.upIndex;
    dirIndex = axes.dirIndex;
    hatIndex = axes.hatIndex;
    stack = kiv::env::stackFromArgument(stackCount);
    slice = kiv::env::sliceFromArgument(sliceCount);
    skylightType = (skyType == 1 || skyType == 2) ? skyType : 1;
}

void KivHDRILight::setData(KivColor c, KivPoint p, KivMatrix m, const char* path, char up, char dir,
                           int stackCount, int sliceCount, char skyType) {
    setCommon(c, p, m, up, dir, stackCount, sliceCount, skyType);
    if (path == nullptr) {
        pathHDRI[0] = '\0';
        image.reset();
        return;
    }
    if (kiv::env::copyPath(pathHDRI, sizeof pathHDRI, path))
        image.reset(kiv::env::readImage(path));
    else
        image.reset(new KivHDRI);
    getSkyLightDistribution(0);
}

void KivHDRILight::setData(KivColor c, KivPoint p, KivMatrix m, const KivHDRI* hdri, char up,
                           char dir, int stackCount, int sliceCount, char skyType) {
    setCommon(c, p, m, up, dir, stackCount, sliceCount, skyType);
    // The light takes the image over; the interface hands it in as const.
    image.reset(const_cast<KivHDRI*>(hdri));
    if (hdri != nullptr) getSkyLightDistribution(0);
    pathHDRI[0] = '\0';
}

void KivHDRILight::setData(KivColor, KivPoint, KivMatrix, const KivHDRI*) {}

void KivHDRILight::getSkyLightDistribution(char) {
    releaseLists();
    const int half = kiv::env::sampleCount(stack, slice);
    directionList.reserve(2 * static_cast<std::size_t>(half));
    emissionList.reserve(2 * static_cast<std::size_t>(half));
    kiv::env::appendSampleDirections(stack, slice, directionList);
    // Mirrored below the horizon, the directions cover the whole sphere.
    const std::size_t n = directionList.size();
    for (std::size_t k = 0; k < n; ++k) {
        const KivVector d = directionList[k];
        directionList.push_back(KivVector::make(d.x, d.y, -d.z));
    }
    sampleNum = static_cast<std::int32_t>(directionList.size());

    KivHDRI* hdri = image.get();
    const kiv::env::FrameAxes axes{upIndex, dirIndex, hatIndex};
    for (const KivVector& d : directionList) {
        KivColor c(0.0f, 0.0f, 0.0f, 1.0f);
        if (hdri != nullptr) {
            const KivVector inImage = kiv::normalise(kiv::env::rotate(d, worldToLight));
            c = imageColour(*hdri, kiv::env::anglesInImage(inImage, axes), 0, 0);
        }
        emissionList.push_back(kKivPi * c);
    }
}

void KivHDRILight::setUnshot(KivColor c) {
    unshot.r = c.r;
    unshot.g = c.g;
    unshot.b = c.b;
}

KivColor KivHDRILight::getUnshot() {
    const KivHDRI* hdri = image.get();
    if (!kiv::env::hasTexels(hdri)) return kNoEnergy;
    double sum[3] = {0.0, 0.0, 0.0};
    const std::size_t texels = std::size_t{hdri->width} * hdri->height;
    const float* t = hdri->data;
    for (std::size_t k = 0; k < texels; ++k, t += 3) {
        sum[0] += t[0];
        sum[1] += t[1];
        sum[2] += t[2];
    }
    return KivColor::make(kKivPi * static_cast<float>(sum[0]) * unshot.r,
                          kKivPi * static_cast<float>(sum[1]) * unshot.g,
                          kKivPi * static_cast<float>(sum[2]) * unshot.b);
}

void KivHDRILight::setPosition(KivPoint p) {
    position.x = p.x;
    position.y = p.y;
    position.z = p.z;
}

const KivVector* KivHDRILight::getDirectionList() {
    return directionList.empty() ? nullptr : directionList.data();
}

const KivColor* KivHDRILight::getEmissionList() {
    return emissionList.empty() ? nullptr : emissionList.data();
}

void KivHDRILight::setPathHDRI(const char* path) {
    kiv::env::copyPath(pathHDRI, sizeof pathHDRI, path);
}

KivColor KivHDRILight::shoot(int i) {
    // An image that could not be read lights nothing, and the point keeps its flags.
    KivHDRI* hdri = image.get();
    if (!kiv::env::hasTexels(hdri)) return kNoEnergy;
    KivVertex* points = KivVertex_GetPointer();
    if (points == nullptr) return kNoEnergy;
    KivVertex& v = points[i];

    const KivVector toLight = kiv::vectorBetween(v.receivePoint, position);
    const float d = kiv::length(toLight);
    const KivVector L = kiv::normalise(toLight);
    const float c = kiv::dot(L, v.normal);
    if (c < 0.001f) return kNoEnergy;

    // The patch's solid angle seen from the light sets the size of the box filter.
    const float omega = std::clamp(c * v.area / (d * d), 0.0f, kFourPi);
    const float rho = std::sqrt(omega * kInvFourPi) * 0.5f;
    const int filterSize =
        static_cast<int>(rho * static_cast<float>(std::min(hdri->width, hdri->height)));

    const KivVector towardsPoint = kiv::normalise(kiv::env::rotate(kiv::negate(L), worldToLight));
    const kiv::env::Angles angles =
        kiv::env::anglesInImage(towardsPoint, {upIndex, dirIndex, hatIndex});
    KivColor e = (imageColour(*hdri, angles, 1, filterSize) * unshot) * kKivPi;

    if (v.inside() > 0.0f) {
        const float answer = KivIntersection_JudgeIntersection();
        if (answer == 1.0f) {
            v.shotFlags = kShotReachedDark;
            return kNoEnergy;
        }
        if (answer == 0.5f) e *= KivIntersection_GetTransparencyColorResult();
    }
    v.shotFlags = kShotLit;
    return e;
}

// The creators construct, run init through the virtual interface and apply the parameters as
// setData does; _Instanciate then hands the light to the current scene's light registry. When
// memory runs out they answer null or -1.
KivHDRILight* KivHDRILight_Create(KivColor unshot, KivPoint position, KivMatrix worldToLight,
                                  const char* path, char upAxis, char dirAxis, int stack, int slice,
                                  char skylightType) {
    try {
        auto light = std::make_unique<KivHDRILight>();
        static_cast<KivLight*>(light.get())->init();
        light->setData(unshot, position, worldToLight, path, upAxis, dirAxis, stack, slice,
                       skylightType);
        return light.release();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

int KivHDRILight_Instanciate(KivColor unshot, KivPoint position, KivMatrix worldToLight,
                             const char* path, char upAxis, char dirAxis, int stack, int slice,
                             char skylightType) {
    KivHDRILight* light = KivHDRILight_Create(unshot, position, worldToLight, path, upAxis, dirAxis,
                                              stack, slice, skylightType);
    if (light == nullptr) return -1;
    KivLight_Append(light);
    return KivLight_GetInstanceCount() - 1;
}

int KivHDRILight_Instanciate(KivColor unshot, KivPoint position, KivMatrix worldToLight,
                             const KivHDRI* image, char upAxis, char dirAxis, int stack, int slice,
                             char skylightType) {
    try {
        auto light = std::make_unique<KivHDRILight>();
        static_cast<KivLight*>(light.get())->init();
        light->setData(unshot, position, worldToLight, image, upAxis, dirAxis, stack, slice,
                       skylightType);
        KivLight_Append(light.release());
        return KivLight_GetInstanceCount() - 1;
    } catch (const std::bad_alloc&) {
        return -1;
    }
}
