#include "lights/sky_light.h"

#include <algorithm>
#include <memory>
#include <new>

#include "engine/api/intersection_api.h"
#include "engine/api/light_api.h"
#include "engine/api/vertex_api.h"
#include "engine/vertex.h"
#include "lights/KivStandardLights.h"

namespace {

constexpr KivColor kNoEnergy{0.0f, 0.0f, 0.0f, 1.0f};

// Sum over the sample directions that face the point (cosine at least 0.001) and reach the sky
// from it, of cosine x colour, each filtered by the transparent surfaces on its way. The light
// arrives along -D, so the occlusion ray leaves the point along D. Points outside their polygon
// are not tested for occlusion.
template <class SampleColour>
KivColor gather(const KivVertex& v, const std::vector<KivVector>& directions,
                SampleColour colourOf) {
    KivColor sum(0.0f, 0.0f, 0.0f, 1.0f);
    const KivPoint q(v.receivePoint.x, v.receivePoint.y, v.receivePoint.z, 1.0f);
    const bool testOcclusion = v.inside() > 0.0f;
    for (std::size_t k = 0; k < directions.size(); ++k) {
        const KivVector& d = directions[k];
        const float c = kiv::dot(v.normal, d);
        if (c < 0.001f) continue;
        KivColor filter(1.0f, 1.0f, 1.0f, 1.0f);
        if (testOcclusion) {
            const float answer =
                KivIntersection_JudgeDirectionalIntersection(q, -1, kiv::negate(d));
            if (answer == 1.0f) continue;
            if (answer == 0.5f) filter = KivIntersection_GetTransparencyColorResult();
        }
        sum += (colourOf(k) * c) * filter;
    }
    return sum;
}

// The point's flags and energy from the gathered sum: dark (1) when nothing positive arrived.
KivColor finish(KivVertex& v, const KivColor& sum) {
    if (std::max({sum.r, sum.g, sum.b}) <= 0.0f) {
        v.shotFlags = kShotReachedDark;
        return kNoEnergy;
    }
    v.shotFlags = kShotLit;
    return KivColor::make(sum.r, sum.g, sum.b);
}

}  // namespace

void KivSkyLight::init() {
    alreadyShoot = 0;
    type = kKivSkyLight;
    unshot = KivColor(0.0f, 0.0f, 0.0f, 1.0f);
    upAxis = kiv::env::kDefaultUpAxis;
    dirAxis = kiv::env::kDefaultDirAxis;
    upIndex = kiv::env::kDefaultUpAxis;
    dirIndex = kiv::env::kDefaultDirAxis;
    hatIndex = 0;
    stack = 0;
    slice = 0;
    releaseLists();
    // Lets go of this light's share; an image other copies hold stays with them.
    image.reset();
    pathHDRI[0] = '\0';
    shootingMethod = 1;
}

void KivSkyLight::del() {
    releaseLists();
    image.reset();
}

void KivSkyLight::releaseLists() {
    std::vector<KivVector>().swap(directionList);
    std::vector<KivColor>().swap(emissionList);
    sampleNum = 0;
}

void KivSkyLight::setData(KivColor colour, char up, char dir, int stackCount, int sliceCount,
                          const char* path, char method) {
    type = kKivSkyLight;
    alreadyShoot = 0;
    const kiv::env::Axes axes = kiv::env::setUpAxes(up, dir);
    upAxis = axes.upAxis;
    dirAxis = axes.dirAxis;
    upIndex = axes.upIndex;
    dirIndex = axes.dirIndex;
    hatIndex = axes.hatIndex;
    stack = kiv::env::stackFromArgument(stackCount);
    slice = kiv::env::sliceFromArgument(sliceCount);
    if (path != nullptr) {
        setUnshot(colour);
        if (kiv::env::copyPath(pathHDRI, sizeof pathHDRI, path))
            image.reset(kiv::env::readImage(path));
        else
            image.reset(new KivHDRI);
    } else {
        // A uniform sky over the hemisphere: twice the colour.
        unshot = KivColor::make(2.0f * colour.r, 2.0f * colour.g, 2.0f * colour.b);
        image.reset();
        pathHDRI[0] = '\0';
    }
    getSkyLightDistribution(upAxis);
    shootingMethod = method;
}

void KivSkyLight::getSkyLightDistribution(char skyAxis) {
    releaseLists();
    const std::size_t n = static_cast<std::size_t>(kiv::env::sampleCount(stack, slice));
    directionList.reserve(n);
    emissionList.reserve(n);
    kiv::env::appendSampleDirections(stack, slice, directionList);
    // Turns the pole of the hemisphere from +z to the sky axis.
    for (KivVector& d : directionList) {
        const float x = d.x, y = d.y, z = d.z;
        switch (skyAxis) {
            case 0:
                d = KivVector::make(y, z, x);
                break;
            case 1:
                d = KivVector::make(z, x, y);
                break;
            case 3:
                d = KivVector::make(-y, -z, -x);
                break;
            case 4:
                d = KivVector::make(-z, -x, -y);
                break;
            default:
                d = KivVector::make(-x, -y, -z);
                break;
        }
    }
    sampleNum = static_cast<std::int32_t>(directionList.size());
    if (sampleNum == 0) return;
    const KivColor share = unshot * (1.0f / static_cast<float>(sampleNum));
    emissionList.assign(directionList.size(), share);
}

void KivSkyLight::setUnshot(KivColor c) {
    unshot.r = c.r;
    unshot.g = c.g;
    unshot.b = c.b;
}

const KivVector* KivSkyLight::getDirectionList() {
    return directionList.empty() ? nullptr : directionList.data();
}

const KivColor* KivSkyLight::getEmissionList() {
    return emissionList.empty() ? nullptr : emissionList.data();
}

void KivSkyLight::setPathHDRI(const char* path) {
    kiv::env::copyPath(pathHDRI, sizeof pathHDRI, path);
}

KivColor KivSkyLight::shoot(int i) {
    return image.get() == nullptr ? shootUniformDirection(i) : shootUniformDirectionHDRI(i);
}

KivColor KivSkyLight::shootUniformDirection(int i) {
    KivVertex* points = KivVertex_GetPointer();
    if (points == nullptr) return kNoEnergy;
    KivVertex& v = points[i];
    return finish(v, gather(v, directionList, [this](std::size_t k) { return emissionList[k]; }));
}

KivColor KivSkyLight::shootUniformDirectionHDRI(int i) {
    KivVertex* points = KivVertex_GetPointer();
    if (points == nullptr) return kNoEnergy;
    KivVertex& v = points[i];
    KivHDRI* hdri = image.get();
    // An image that could not be read gives a dark sky: no sample can bring anything, so the
    // occlusion queries are skipped.
    if (!kiv::env::hasTexels(hdri)) return finish(v, kNoEnergy);
    const KivColor sum = gather(v, directionList, [&](std::size_t k) {
        const KivVector& d = directionList[k];
        const KivVector probe(kiv::env::signedComponent(d, hatIndex),
                              -kiv::env::signedComponent(d, dirIndex),
                              kiv::env::signedComponent(d, upIndex), 1.0f);
        KivColor g(0.0f, 0.0f, 0.0f, 1.0f);
        hdri->GetColor(probe, g);
        return g;
    });
    return finish(v, sum * unshot);
}

KivSkyLight* KivSkyLight_Create(KivColor colour, char upAxis, char dirAxis, int stack, int slice,
                                const char* path, char shootingMethod) {
    try {
        auto light = std::make_unique<KivSkyLight>();
        static_cast<KivLight*>(light.get())->init();
        light->setData(colour, upAxis, dirAxis, stack, slice, path, shootingMethod);
        return light.release();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

int KivSkyLight_Instanciate(KivColor colour, char upAxis, char dirAxis, int stack, int slice,
                            const char* path, char shootingMethod) {
    KivSkyLight* light =
        KivSkyLight_Create(colour, upAxis, dirAxis, stack, slice, path, shootingMethod);
    if (light == nullptr) return -1;
    KivLight_Append(light);
    return KivLight_GetInstanceCount() - 1;
}
