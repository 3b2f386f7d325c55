#include "lights/general_light.h"

#include <cstring>
#include <new>

#include "lights/KivStandardLights.h"
#include "lights/general_light_data.h"

namespace {

constexpr KivColor kNoEnergy{0.0f, 0.0f, 0.0f, 1.0f};

// Index of a registered general light data read from exactly this path, or -1.
int findDataByPath(const char* path) {
    if (path == nullptr || path[0] == '\0') return -1;
    const int count = KivLightData_GetCount();
    for (int i = 0; i < count; ++i) {
        const auto* data = dynamic_cast<const KivGeneralLightData*>(KivLightData_GetPointer(i));
        if (data != nullptr && std::strcmp(data->getFileName(), path) == 0) return i;
    }
    return -1;
}

// Registers data and answers its index.
int append(KivGeneralLightData* data) {
    KivLightData_Append(data);
    return KivLightData_GetCount() - 1;
}

KivGeneralLight* newLight(KivColor unshot, KivPoint position, int dataIndex, KivMatrix m) {
    auto* light = new (std::nothrow) KivGeneralLight;
    if (light == nullptr) return nullptr;
    light->init();
    light->setData(unshot, position, dataIndex, m);
    return light;
}

int instanciate(KivGeneralLight* light) {
    if (light == nullptr) return -1;
    KivLight_Append(light);
    return KivLight_GetInstanceCount() - 1;
}

}  // namespace

KivGeneralLight::~KivGeneralLight() = default;

void KivGeneralLight::init() {
    type = kKivGeneralLight;
    alreadyShoot = 0;
    unshot = KivColor(0.0f, 0.0f, 0.0f, 1.0f);
    position = KivPoint(0.0f, 0.0f, 0.0f, 1.0f);
    worldToLight = KivMatrix{};
    lightDataIndex = -1;
}

void KivGeneralLight::del() {}

void KivGeneralLight::setData(KivColor unshot_, KivPoint position_, int lightDataIndex_,
                              KivMatrix worldToLight_) {
    type = kKivGeneralLight;
    setUnshot(unshot_);
    setPosition(position_);
    worldToLight = worldToLight_;
    lightDataIndex = lightDataIndex_;
    alreadyShoot = 0;
}

void KivGeneralLight::setType(char t) { type = t; }
char KivGeneralLight::getType() { return type; }
void KivGeneralLight::setUnshot(KivColor c) {
    unshot.r = c.r;
    unshot.g = c.g;
    unshot.b = c.b;
}
KivColor KivGeneralLight::getUnshot() { return unshot; }
void KivGeneralLight::setPosition(KivPoint p) {
    position.x = p.x;
    position.y = p.y;
    position.z = p.z;
}
KivPoint KivGeneralLight::getPosition() { return position; }
void KivGeneralLight::setWorldToLight(KivMatrix m) { worldToLight = m; }
KivMatrix KivGeneralLight::getWorldToLight() { return worldToLight; }
void KivGeneralLight::setLightDataIndex(int index) { lightDataIndex = index; }
KivLong KivGeneralLight::getLightDataIndex() { return lightDataIndex; }

KivColor KivGeneralLight::shoot(int i) {
    KivVertex* vertices = KivVertex_GetPointer();
    if (vertices == nullptr || i < 0 || i >= KivVertex_GetCount()) return kNoEnergy;
    KivVertex& v = vertices[i];

    const KivVector toLight = kiv::vectorBetween(v.receivePoint, position);
    const float d = kiv::length(toLight);
    const KivVector L = kiv::normalise(toLight);
    const float c = kiv::dot(L, v.normal);
    if (c < 0.001f) return kNoEnergy;

    // The direction in the light's frame: rotated (w = 0), not translated.
    const KivVector T =
        kiv::normalise(kiv::transform(KivVector(L.x, L.y, L.z, 0.0f), worldToLight));
    const auto* data =
        dynamic_cast<const KivGeneralLightData*>(KivLightData_GetPointer(lightDataIndex));
    const float e = data != nullptr ? data->calcEnergy(T) : 0.0f;
    // The receiver cosine only decides whether the point faces the light; the candela value
    // already is the intensity in that direction.
    const float f = e / (d * d);
    if (!(f >= kKivEnergyEpsilon)) {
        v.shotFlags = kShotReachedDark;
        return kNoEnergy;
    }
    KivColor E = unshot * f;
    if (v.inside() > 0.0f) {
        const float blocked = KivIntersection_JudgeIntersection();
        if (blocked == 1.0f) {
            v.shotFlags = kShotReachedDark;
            return kNoEnergy;
        }
        if (blocked == 0.5f) E *= KivIntersection_GetTransparencyColorResult();
    }
    v.shotFlags = KivShoot_GetCloseLengthThreshold() > d ? kShotLitClose : kShotLit;
    return E;
}

void KivGeneralLight::output(std::FILE* f) {
    if (f == nullptr) return;
    std::fprintf(f, "%d\n", type);
    std::fprintf(f, "%f %f %f\n", static_cast<double>(unshot.r), static_cast<double>(unshot.g),
                 static_cast<double>(unshot.b));
    std::fprintf(f, "%f %f %f\n", static_cast<double>(position.x), static_cast<double>(position.y),
                 static_cast<double>(position.z));
    for (int r = 0; r < 4; ++r) {
        std::fprintf(f, "%f %f %f %f\n", static_cast<double>(worldToLight.at(r, 0)),
                     static_cast<double>(worldToLight.at(r, 1)),
                     static_cast<double>(worldToLight.at(r, 2)),
                     static_cast<double>(worldToLight.at(r, 3)));
    }
    std::fprintf(f, "%d\n", lightDataIndex);
    std::fflush(f);
}

// ---- flat interface -------------------------------------------------------------------------

int KivGeneralLightData_Instanciate(const char* path) {
    const int shared = findDataByPath(path);
    if (shared >= 0) return shared;
    KivGeneralLightData* data = KivGeneralLightData_Create(path);
    return data != nullptr ? append(data) : -1;
}

int KivGeneralLightData_Instanciate(float standardEnergy, float multiplex, int latitude,
                                    const float* latitudeAngles, int longitude,
                                    const float* longitudeAngles, const float* energies) {
    KivGeneralLightData* data = KivGeneralLightData_Create(
        standardEnergy, multiplex, latitude, latitudeAngles, longitude, longitudeAngles, energies);
    return data != nullptr ? append(data) : -1;
}

KivGeneralLight* KivGeneralLight_Create(KivColor unshot, KivPoint position, int lightDataIndex,
                                        KivMatrix worldToLight) {
    return newLight(unshot, position, lightDataIndex, worldToLight);
}

KivGeneralLight* KivGeneralLight_Create(KivColor unshot, KivPoint position, const char* path,
                                        KivMatrix worldToLight) {
    const int data = KivGeneralLightData_Instanciate(path);
    if (data < 0) return nullptr;
    return newLight(unshot, position, data, worldToLight);
}

KivGeneralLight* KivGeneralLight_Create(KivColor unshot, KivPoint position, float standardEnergy,
                                        float multiplex, int latitude, const float* latitudeAngles,
                                        int longitude, const float* longitudeAngles,
                                        const float* energies, KivMatrix worldToLight) {
    const int data = KivGeneralLightData_Instanciate(
        standardEnergy, multiplex, latitude, latitudeAngles, longitude, longitudeAngles, energies);
    if (data < 0) return nullptr;
    return newLight(unshot, position, data, worldToLight);
}

int KivGeneralLight_Instanciate(KivColor unshot, KivPoint position, const char* path,
                                KivMatrix worldToLight) {
    return instanciate(KivGeneralLight_Create(unshot, position, path, worldToLight));
}

int KivGeneralLight_Instanciate(KivColor unshot, KivPoint position, float standardEnergy,
                                float multiplex, int latitude, const float* latitudeAngles,
                                int longitude, const float* longitudeAngles, const float* energies,
                                KivMatrix worldToLight) {
    return instanciate(KivGeneralLight_Create(unshot, position, standardEnergy, multiplex, latitude,
                                              latitudeAngles, longitude, longitudeAngles, energies,
                                              worldToLight));
}
