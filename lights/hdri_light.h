#pragma once
// The HDRI light: an environment image around a position, oriented by a world-to-light
// matrix. A receiving point gets the image's colour in the direction from the light's position
// towards it, box-filtered over a window that grows with the solid angle of the point's patch
// seen from the position. The light also carries sample directions over the whole sphere with
// the image colour of each, which the engine's survey passes shoot into the scene.
#include <cstdint>
#include <vector>

#include "engine/hdri.h"
#include "engine/kiv_types.h"
#include "engine/light.h"
#include "lights/environment_sampling.h"

class KivHDRILight : public KivLight {
  public:
    // Longest path the light keeps, terminator excluded.
    static constexpr std::size_t kMaxPathLength = 259;

    KivHDRILight() = default;
    // Copies share the image: it is released when the last copy releases it.
    KivHDRILight(const KivHDRILight&) = default;
    KivHDRILight& operator=(const KivHDRILight&) = default;
    ~KivHDRILight() override = default;

    void init() override;
    void del() override;
    KivColor shoot(int vertexIndex) override;

    // Sets the light up and reads its image from an RGBE file; a null path leaves it without
    // an image and the lists as they are. A path longer than kMaxPathLength is refused: the
    // light gets an image without texels, as for a file that cannot be read.
    void setData(KivColor unshot, KivPoint position, KivMatrix worldToLight, const char* path,
                 char upAxis, char dirAxis, int stack, int slice, char skylightType);
    // The same with an image that already exists; the light takes a share of it (see
    // kiv::env::SharedImage) and releases it in del. A null image leaves the lists as they are.
    void setData(KivColor unshot, KivPoint position, KivMatrix worldToLight, const KivHDRI* image,
                 char upAxis, char dirAxis, int stack, int slice, char skylightType);
    // Does nothing.
    void setData(KivColor unshot, KivPoint position, KivMatrix worldToLight, const KivHDRI* image);

    // Rebuilds the direction and emission lists from the sampling, the matrix, the axis
    // indices and the image (black emissions without one). The argument is not used.
    void getSkyLightDistribution(char unused = 0);

    void setType(char t) override { type = t; }
    char getType() override { return type; }
    void setUnshot(KivColor c) override;
    // The image's energy: pi times the per-channel texel sums, scaled by unshot.
    KivColor getUnshot() override;
    void setPosition(KivPoint p) override;
    KivPoint getPosition() override { return position; }
    void setWorldToLight(KivMatrix m) override { worldToLight = m; }
    KivMatrix getWorldToLight() override { return worldToLight; }
    const KivVector* getDirectionList() override;
    const KivColor* getEmissionList() override;
    KivLong getSampleNum() override { return sampleNum; }
    KivLong getUpIndex() override { return upIndex; }
    KivLong getHatIndex() override { return hatIndex; }
    KivLong getDirIndex() override { return dirIndex; }
    const KivHDRI* getHDRI() override { return image.get(); }
    void setSkylightType(char t) override { skylightType = t; }
    char getSkylightType() override { return skylightType; }
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

    KivPoint position;
    KivMatrix worldToLight;
    char upAxis = kiv::env::kDefaultUpAxis;
    char dirAxis = kiv::env::kDefaultDirAxis;
    std::int32_t upIndex = kiv::env::kDefaultUpAxis;
    std::int32_t dirIndex = kiv::env::kDefaultDirAxis;
    std::int32_t hatIndex = 0;
    std::int32_t stack = 0;
    std::int32_t slice = 0;
    char skylightType = 1;
    std::int32_t sampleNum = 0;
    std::vector<KivVector> directionList;
    std::vector<KivColor> emissionList;
    kiv::env::SharedImage image;
    char pathHDRI[kMaxPathLength + 1] = {};

  private:
    void setCommon(KivColor unshot, KivPoint position, const KivMatrix& worldToLight, char upAxis,
                   char dirAxis, int stack, int slice, char skylightType);
    void releaseLists();
};
