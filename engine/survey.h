#pragma once
// The computations on survey surfaces that the environment passes of the solution run: the
// survey modify pass, the HDRI shoot and the survey ratio. Each works on the scene and writes
// its own block into the solution log through the driver.
#include "engine/kiv_types.h"

class KivScene;
class KivLight;

namespace kiv {

class SolutionDriver;

// After the environment lights have shot at the survey surfaces: exchanges their energy among
// the survey surfaces and rewrites the survey points' reflectance and current energy. Leaves
// every point's unshot and received energy zero.
void surveyModifyPass(KivScene& scene, SolutionDriver& driver);
// Sends the environment lights' sky samples to the ordinary sample points, then lets the
// survey surfaces shoot their energy into the scene. The caller sets shoot type 3 and
// shooter type 9.
void hdriShoot(KivScene& scene, SolutionDriver& driver);
// After the environment lights have shot again at the survey surfaces: turns the result on
// survey points into a display ratio and clears every other surface's current energy.
void surveyRatio(KivScene& scene);

// The colour of an environment light's sky samples as the survey passes use it: the sample's
// emission, or, for lights whose skylight type has the bit 2, the light's image seen through
// the point where the sample's ray leaves the scene box.
class SkySampler {
  public:
    explicit SkySampler(KivScene& scene) : s_(scene) {}

    // Takes light `index`; false (and nothing to sample) when the registry has no such light
    // or it has no samples or no direction or emission list.
    bool load(int index);
    int sampleCount() const { return sampleCount_; }
    const KivVector& direction(int k) const { return directions_[k]; }
    // Colour of sample k seen from point q.
    KivColor colour(int k, const KivPoint& q);

    // The image lookup of a world direction d (not necessarily unit) in the loaded light's
    // frame: the colour times pi, or false when the light has no usable image or axes.
    bool imageColour(const KivVector& d, KivColor& out);

  private:
    KivScene& s_;
    KivLight* light_ = nullptr;
    const KivVector* directions_ = nullptr;
    const KivColor* emissions_ = nullptr;
    int sampleCount_ = 0;
    bool fromImage_ = false;
    KivPoint position_;
    KivMatrix worldToLight_;
    int upIndex_ = 2, hatIndex_ = 0, dirIndex_ = 4;
};

}  // namespace kiv
