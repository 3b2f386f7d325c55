#pragma once
// The sky light: a hemisphere of one colour, or of a light-probe image, around the scene. A
// receiving point gathers over the light's fixed sample directions, each tested for occlusion.
#include <cstdint>
#include <vector>

#include "engine/hdri.h"
#include "engine/kiv_types.h"
#include "engine/light.h"
#include "lights/environment_sampling.h"

class KivSkyLight : public KivLight {
  public:
    // Longest path the light keeps, terminator excluded.
    static constexpr std::size_t kMaxPathLength = 255;

    KivSkyLight() = default;
    // Copies share the image: it is released when the last copy releases it.
    KivSkyLight(const KivSkyLight&) = default;
    KivSkyLight& operator=(const KivSkyLight&) = default;
    ~KivSkyLight() override = default;

    void init() override;
    void del() override;
    KivColor shoot(int vertexIndex) override;

    // With a path: the sky is the light-probe image read from the RGBE file, scaled by
    // `colour`. Without one (null): a uniform sky whose energy is twice `colour`, spread evenly
    // over the samples. A path longer than kMaxPathLength is refused: the light gets an image
    // without texels, as for a file that cannot be read, and lights nothing.
    void setData(KivColor colour, char upAxis, char dirAxis, int stack, int slice, const char* path,
                 char shootingMethod);

    void setType(char t) override { type = t; }
    char getType() override { return type; }
    void setUnshot(KivColor c) override;
    KivColor getUnshot() override { return unshot; }
    const KivVector* getDirectionList() override;
    const KivColor* getEmissionList() override;
    KivLong getSampleNum() override { return sampleNum; }
    KivLong getUpIndex() override { return upIndex; }
    KivLong getHatIndex() override { return hatIndex; }
    KivLong getDirIndex() override { return dirIndex; }
    const KivHDRI* getHDRI() override { return image.get(); }
    KivLong getStack() override { return stack; }
    KivLong getSlice() override { return slice; }

    // Plain field access: nothing is validated and neither the indices nor the lists change.
    void setUpAxis(char axis) { upAxis = axis; }
    char getUpAxis() const { return upAxis; }
    void setDirAxis(char axis) { dirAxis = axis; }
    char getDirAxis() const { return dirAxis; }
    void setStack(int n) { stack = n; }
    void setSlice(int n) { slice = n; }
    // The light takes a share of the image (see kiv::env::SharedImage).
    void setHDRI(KivHDRI* hdri) { image.reset(hdri); }
    // A path longer than kMaxPathLength is refused and leaves the path empty.
    void setPathHDRI(const char* path);
    const char* getPathHDRI() const { return pathHDRI; }
    // Stored and reported only: the shot is always the gather over the sample directions.
    void setShootingMethod(char method) { shootingMethod = method; }
    char getShootingMethod() const { return shootingMethod; }

    char upAxis = kiv::env::kDefaultUpAxis;
    char dirAxis = kiv::env::kDefaultDirAxis;
    std::int32_t upIndex = kiv::env::kDefaultUpAxis;
    std::int32_t dirIndex = kiv::env::kDefaultDirAxis;
    std::int32_t hatIndex = 0;
    std::int32_t stack = 0;
    std::int32_t slice = 0;
    std::int32_t sampleNum = 0;
    std::vector<KivVector> directionList;
    std::vector<KivColor> emissionList;
    kiv::env::SharedImage image;
    char pathHDRI[kMaxPathLength + 1] = {};
    char shootingMethod = 1;

  private:
    // Builds the lists: the banded directions turned so that their pole lies along the sky
    // axis given by upAxis, each with an equal share of unshot.
    void getSkyLightDistribution(char upAxis);
    KivColor shootUniformDirection(int vertexIndex);
    KivColor shootUniformDirectionHDRI(int vertexIndex);
    void releaseLists();
};
