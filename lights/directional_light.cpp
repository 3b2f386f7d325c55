#include "lights/directional_light.h"

#include "lights/KivStandardLights.h"
#include "lights/light_common.h"

using namespace kiv::lights;

KivDirectionalLight::~KivDirectionalLight() = default;

void KivDirectionalLight::init() {
    type = kKivDirectionalLight;
    alreadyShoot = 0;
    unshot = KivColor(0.0f, 0.0f, 0.0f, 1.0f);
    direction = KivVector(0.0f, 0.0f, 0.0f, 1.0f);
}

void KivDirectionalLight::del() {}

void KivDirectionalLight::setData(KivColor unshot_, KivVector direction_) {
    type = kKivDirectionalLight;
    copyXyz(unshot, unshot_);
    copyXyz(direction, direction_);
    normaliseXyz(direction);
    alreadyShoot = 0;
}

KivColor KivDirectionalLight::shoot(int vertexIndex) {
    KivVertex& v = receiverAt(vertexIndex);
    KivVector toLight(-direction.x, -direction.y, -direction.z);
    normaliseXyz(toLight);
    const KivVector& n = v.normal;
    const float c = toLight.x * n.x + toLight.y * n.y + toLight.z * n.z;
    if (!facesLight(c)) return kNoEnergy;

    KivColor e(unshot.r * c, unshot.g * c, unshot.b * c, 1.0f);
    // Points outside their polygon are not tested for shadow.
    if (v.inside() > 0.0f && !passesOccluders(KivIntersection_JudgeDirectionalIntersection(), e)) {
        v.shotFlags = kShotReachedDark;
        return kNoEnergy;
    }
    v.shotFlags = kShotLit;
    return e;
}

void KivDirectionalLight::setType(char t) { type = t; }
char KivDirectionalLight::getType() { return type; }
void KivDirectionalLight::setUnshot(KivColor c) { copyXyz(unshot, c); }
KivColor KivDirectionalLight::getUnshot() { return unshot; }

void KivDirectionalLight::setDirection(KivVector d) {
    copyXyz(direction, d);
    normaliseXyz(direction);
}
KivVector KivDirectionalLight::getDirection() { return direction; }

void KivDirectionalLight::output(std::FILE* f) {
    std::fprintf(f, "%d\n", type);
    writeXyz(f, unshot);
    writeXyz(f, direction);
    std::fflush(f);
}

KivDirectionalLight* KivDirectionalLight_Create(KivColor unshot, KivVector direction) {
    return createLight<KivDirectionalLight>(unshot, direction);
}

int KivDirectionalLight_Instanciate(KivColor unshot, KivVector direction) {
    return instanciateLight<KivDirectionalLight>(unshot, direction);
}
