#include "lights/spot_light.h"

#include <cmath>

#include "lights/KivStandardLights.h"
#include "lights/light_common.h"

using namespace kiv::lights;

namespace {
// 1/180 and ln 2 as the nearest single-precision values.
constexpr float kInv180 = 0.00555555569f;
constexpr float kLn2 = 0.693147182f;

float cosOfDegrees(float degrees) { return std::cos(degrees * kInv180 * kKivPi); }
}  // namespace

KivSpotLight::~KivSpotLight() = default;

void KivSpotLight::init() {
    type = kKivSpotLight;
    alreadyShoot = 0;
    unshot = KivColor(0.0f, 0.0f, 0.0f, 1.0f);
    position = KivPoint(0.0f, 0.0f, 0.0f, 1.0f);
    direction = KivVector(0.0f, 0.0f, 0.0f, 1.0f);
    falloffStart = falloffEnd = 0.0f;
    field = beam = 0.0f;
    // No cone yet: every receiver fails the cone test until doSet runs.
    fieldCos = beamCos = sourceSpotCoefficient = kKivInfinity;
}

void KivSpotLight::del() {}

void KivSpotLight::setData(KivColor unshot_, KivPoint position_, KivVector direction_, float field_,
                           float beam_, float falloffStart_, float falloffEnd_) {
    type = kKivSpotLight;
    copyXyz(unshot, unshot_);
    copyXyz(position, position_);
    copyXyz(direction, direction_);
    normaliseXyz(direction);
    field = field_;
    beam = beam_;
    if (field - beam < 0.0f) field = beam;
    falloffStart = falloffStart_;
    falloffEnd = falloffEnd_;
    if (falloffEnd - falloffStart < 0.0f) falloffEnd = falloffStart;
    alreadyShoot = 0;
    doSet();
}

void KivSpotLight::doSet() {
    setFieldCos(cosOfDegrees(field));
    const float cosBeam = cosOfDegrees(beam);
    setBeamCos(cosBeam);
    const float lnBeamCos = std::log(cosBeam);
    // A beam so narrow that its cosine is 1 has no finite exponent; the limit of an ever
    // narrower beam is an exponent so large that only the axis itself keeps any intensity.
    // -ln 2 / ln 1 would instead be minus infinity, which turns every receiver's energy into
    // infinity or NaN.
    setSourceSpotCoefficient(lnBeamCos == 0.0f ? kKivInfinity : -kLn2 / lnBeamCos);
}

float KivSpotLight::ramp(float a, float b, float x) {
    if (x < a) return 0.0f;
    if (x > b) return 1.0f;
    // Cones of one width: the step is a jump at their common cosine, which the cone test
    // already counts as inside (the cubic would divide 0 by 0 there).
    if (b - a == 0.0f) return 1.0f;
    const float w = b - a;
    const float t = x - a;
    return (3.0f * b - a - 2.0f * x) * (t * t) / (w * w * w);
}

float KivSpotLight::spotFactor(float fieldCos_, float beamCos_, float coefficient, float s) {
    // A field of 90 degrees or more: the whole half-space in front at a constant half.
    if (fieldCos_ <= 0.0f) return 0.5f;
    return ramp(fieldCos_, beamCos_, s) * std::pow(s, coefficient);
}

KivColor KivSpotLight::shoot(int vertexIndex) {
    KivVertex& v = receiverAt(vertexIndex);
    const Incidence in = incidence(position, v);
    if (!facesLight(in.cosine)) return kNoEnergy;

    // Cosine between the cone axis and the direction from the light towards the receiver.
    const float s =
        -in.toLight.x * direction.x + -in.toLight.y * direction.y + -in.toLight.z * direction.z;
    // Outside the field cone (a NaN cosine included).
    if (!(s >= fieldCos)) return kNoEnergy;

    const float F = spotFactor(fieldCos, beamCos, sourceSpotCoefficient, s);
    const float f = in.cosine * kInvTwoPi / (in.distance * in.distance) * F;
    return deliverFromPosition(v, unshot, f, in.distance);
}

void KivSpotLight::setType(char t) { type = t; }
char KivSpotLight::getType() { return type; }
void KivSpotLight::setUnshot(KivColor c) { copyXyz(unshot, c); }
KivColor KivSpotLight::getUnshot() { return unshot; }
void KivSpotLight::setPosition(KivPoint p) { copyXyz(position, p); }
KivPoint KivSpotLight::getPosition() { return position; }
void KivSpotLight::setFalloffStart(float d) { falloffStart = d; }
float KivSpotLight::getFalloffStart() { return falloffStart; }
void KivSpotLight::setFalloffEnd(float d) { falloffEnd = d; }
float KivSpotLight::getFalloffEnd() { return falloffEnd; }
void KivSpotLight::setDirection(KivVector d) { copyXyz(direction, d); }
KivVector KivSpotLight::getDirection() { return direction; }
void KivSpotLight::setField(float angle) { field = angle; }
float KivSpotLight::getField() { return field; }
void KivSpotLight::setFieldCos(float c) { fieldCos = c; }
float KivSpotLight::getFieldCos() { return fieldCos; }
void KivSpotLight::setBeam(float angle) { beam = angle; }
float KivSpotLight::getBeam() { return beam; }
void KivSpotLight::setBeamCos(float c) { beamCos = c; }
float KivSpotLight::getBeamCos() { return beamCos; }
void KivSpotLight::setSourceSpotCoefficient(float c) { sourceSpotCoefficient = c; }
float KivSpotLight::getSourceSpotCoefficient() { return sourceSpotCoefficient; }

void KivSpotLight::output(std::FILE* f) {
    std::fprintf(f, "%d\n", type);
    writeXyz(f, unshot);
    writeXyz(f, position);
    writeXyz(f, direction);
    std::fprintf(f, "%f\n", field);
    std::fprintf(f, "%f\n", beam);
    std::fprintf(f, "%f\n", falloffStart);
    std::fprintf(f, "%f\n", falloffEnd);
    std::fflush(f);
}

KivSpotLight* KivSpotLight_Create(KivColor unshot, KivPoint position, KivVector direction,
                                  float field, float beam, float falloffStart, float falloffEnd) {
    return createLight<KivSpotLight>(unshot, position, direction, field, beam, falloffStart,
                                     falloffEnd);
}

int KivSpotLight_Instanciate(KivColor unshot, KivPoint position, KivVector direction, float field,
                             float beam, float falloffStart, float falloffEnd) {
    return instanciateLight<KivSpotLight>(unshot, position, direction, field, beam, falloffStart,
                                          falloffEnd);
}
