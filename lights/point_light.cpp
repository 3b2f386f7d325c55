#include "lights/point_light.h"

#include "lights/KivStandardLights.h"
#include "lights/light_common.h"

using namespace kiv::lights;

KivPointLight::~KivPointLight() = default;

void KivPointLight::init() {
    type = kKivPointLight;
    alreadyShoot = 0;
    unshot = KivColor(0.0f, 0.0f, 0.0f, 1.0f);
    position = KivPoint(0.0f, 0.0f, 0.0f, 1.0f);
    falloffStart = 0.0f;
    falloffEnd = 0.0f;
}

void KivPointLight::del() {}

void KivPointLight::setData(KivColor unshot_, KivPoint position_, float falloffStart_,
                            float falloffEnd_) {
    type = kKivPointLight;
    copyXyz(unshot, unshot_);
    copyXyz(position, position_);
    falloffStart = falloffStart_;
    falloffEnd = falloffEnd_;
    alreadyShoot = 0;
    if (falloffEnd - falloffStart < 0.0f) falloffEnd = falloffStart;
}

KivColor KivPointLight::shoot(int vertexIndex) {
    KivVertex& v = receiverAt(vertexIndex);
    const Incidence in = incidence(position, v);
    if (!facesLight(in.cosine)) return kNoEnergy;

    const float f = in.cosine * kInvFourPi / (in.distance * in.distance);
    // Too little to matter: not worth a visibility query.
    return deliverFromPosition(v, unshot, f, in.distance);
}

void KivPointLight::setType(char t) { type = t; }
char KivPointLight::getType() { return type; }
void KivPointLight::setUnshot(KivColor c) { copyXyz(unshot, c); }
KivColor KivPointLight::getUnshot() { return unshot; }
void KivPointLight::setPosition(KivPoint p) { copyXyz(position, p); }
KivPoint KivPointLight::getPosition() { return position; }
void KivPointLight::setFalloffStart(float d) { falloffStart = d; }
float KivPointLight::getFalloffStart() { return falloffStart; }
void KivPointLight::setFalloffEnd(float d) { falloffEnd = d; }
float KivPointLight::getFalloffEnd() { return falloffEnd; }

void KivPointLight::output(std::FILE* f) {
    std::fprintf(f, "%d\n", type);
    writeXyz(f, unshot);
    writeXyz(f, position);
    std::fprintf(f, "%f\n", falloffStart);
    std::fprintf(f, "%f\n", falloffEnd);
    std::fflush(f);
}

KivPointLight* KivPointLight_Create(KivColor unshot, KivPoint position, float falloffStart,
                                    float falloffEnd) {
    return createLight<KivPointLight>(unshot, position, falloffStart, falloffEnd);
}

int KivPointLight_Instanciate(KivColor unshot, KivPoint position, float falloffStart,
                              float falloffEnd) {
    return instanciateLight<KivPointLight>(unshot, position, falloffStart, falloffEnd);
}
