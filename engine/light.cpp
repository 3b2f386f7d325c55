#include "engine/light.h"

namespace {
constexpr KivPoint kNoPoint{kKivInfinity, kKivInfinity, kKivInfinity, 1.0f};
constexpr KivVector kNoVector{kKivInfinity, kKivInfinity, kKivInfinity, 1.0f};
constexpr KivColor kNoColor{kKivInfinity, kKivInfinity, kKivInfinity, 1.0f};
}  // namespace

// The base answers every query as "this light type has no such quantity"; light classes
// override the operations that apply to them.
KivLight::~KivLight() = default;
void KivLight::doSet() {}
void KivLight::setType(char) {}
char KivLight::getType() { return 0; }
void KivLight::setUnshot(KivColor) {}
KivColor KivLight::getUnshot() { return kNoColor; }
void KivLight::setPosition(KivPoint) {}
KivPoint KivLight::getPosition() { return kNoPoint; }
void KivLight::setFalloffStart(float) {}
float KivLight::getFalloffStart() { return kKivInfinity; }
void KivLight::setFalloffEnd(float) {}
float KivLight::getFalloffEnd() { return kKivInfinity; }
void KivLight::setDirection(KivVector) {}
KivVector KivLight::getDirection() { return kNoVector; }
void KivLight::setField(float) {}
float KivLight::getField() { return kKivInfinity; }
void KivLight::setFieldCos(float) {}
float KivLight::getFieldCos() { return kKivInfinity; }
void KivLight::setBeam(float) {}
float KivLight::getBeam() { return kKivInfinity; }
void KivLight::setBeamCos(float) {}
float KivLight::getBeamCos() { return kKivInfinity; }
void KivLight::setSourceSpotCoefficient(float) {}
float KivLight::getSourceSpotCoefficient() { return kKivInfinity; }
void KivLight::setWorldToLight(KivMatrix) {}
KivMatrix KivLight::getWorldToLight() { return KivMatrix{}; }
void KivLight::setLightDataIndex(int) {}
KivLong KivLight::getLightDataIndex() { return -1; }
const KivVector* KivLight::getDirectionList() { return nullptr; }
const KivColor* KivLight::getEmissionList() { return nullptr; }
KivLong KivLight::getSampleNum() { return 0; }
KivLong KivLight::getUpIndex() { return -1; }
KivLong KivLight::getHatIndex() { return -1; }
KivLong KivLight::getDirIndex() { return -1; }
const KivHDRI* KivLight::getHDRI() { return nullptr; }
void KivLight::setSkylightType(char) {}
char KivLight::getSkylightType() { return 0; }
KivLong KivLight::getStack() { return 0; }
KivLong KivLight::getSlice() { return 0; }
void KivLight::output(std::FILE*) {}

KivLightData::~KivLightData() = default;
void KivLightData::output(std::FILE*) {}
