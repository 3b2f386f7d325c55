#include "engine/api/light_api.h"

#include <stdexcept>

#include "engine/scene.h"

namespace {
kiv::LightRegistry& lights() { return kiv::scene().lights; }
kiv::LightDataRegistry& lightData() { return kiv::scene().lightData; }
KivLight* light(int i) { return lights().at(i); }

constexpr KivColor kZeroColor{0.0f, 0.0f, 0.0f, 1.0f};
constexpr KivPoint kZeroPoint{0.0f, 0.0f, 0.0f, 1.0f};
constexpr KivVector kZeroVector{0.0f, 0.0f, 0.0f, 1.0f};
}  // namespace

void KivLight_Initialize() { lights().initialize(); }

KivLong KivLight_End() {
    lights().end();
    return 1;
}

KivLong KivLight_End(void* scene) {
    if (scene == nullptr) return 0;
    static_cast<KivScene*>(scene)->lights.end();
    return 1;
}

int KivLight_Instanciate(KivLight* l) { return lights().instanciate(l); }
void KivLight_Append(KivLight* l) { lights().append(l); }
int KivLight_EndInstance() { return lights().endInstance(); }
int KivLight_GetInstanceCount() { return lights().instanceCount(); }

void KivLight_InitializeWithIndex(int i) {
    if (KivLight* l = light(i)) l->init();
}

KivLong KivLight_Delete(int i) { return lights().remove(i); }

void KivLight_DoSet(int i) {
    if (KivLight* l = light(i)) l->doSet();
}

void KivLight_SetType(int i, char type) {
    if (KivLight* l = light(i)) l->setType(type);
}
char KivLight_GetType(int i) {
    KivLight* l = light(i);
    return l != nullptr ? l->getType() : 0;
}

void KivLight_SetAlreadyShoot(int i, KivLong alreadyShoot) {
    if (KivLight* l = light(i)) l->alreadyShoot = alreadyShoot;
}
KivLong KivLight_GetAlreadyShoot(int i) {
    KivLight* l = light(i);
    return l != nullptr ? l->alreadyShoot : 0;
}

void KivLight_SetUnshot(int i, KivColor unshot) {
    if (KivLight* l = light(i)) l->setUnshot(unshot);
}
KivColor KivLight_GetUnshot(int i) {
    KivLight* l = light(i);
    return l != nullptr ? l->getUnshot() : kZeroColor;
}

void KivLight_SetPosition(int i, KivPoint position) {
    if (KivLight* l = light(i)) l->setPosition(position);
}
KivPoint KivLight_GetPosition(int i) {
    KivLight* l = light(i);
    return l != nullptr ? l->getPosition() : kZeroPoint;
}

void KivLight_SetFalloffStart(int i, float distance) {
    if (KivLight* l = light(i)) l->setFalloffStart(distance);
}
float KivLight_GetFalloffStart(int i) {
    KivLight* l = light(i);
    return l != nullptr ? l->getFalloffStart() : 0.0f;
}

void KivLight_SetFalloffEnd(int i, float distance) {
    if (KivLight* l = light(i)) l->setFalloffEnd(distance);
}
float KivLight_GetFalloffEnd(int i) {
    KivLight* l = light(i);
    return l != nullptr ? l->getFalloffEnd() : 0.0f;
}

void KivLight_SetDirection(int i, KivVector direction) {
    if (KivLight* l = light(i)) l->setDirection(direction);
}
KivVector KivLight_GetDirection(int i) {
    KivLight* l = light(i);
    return l != nullptr ? l->getDirection() : kZeroVector;
}

void KivLight_SetField(int i, float angle) {
    if (KivLight* l = light(i)) l->setField(angle);
}
float KivLight_GetField(int i) {
    KivLight* l = light(i);
    return l != nullptr ? l->getField() : 0.0f;
}

void KivLight_SetBeam(int i, float angle) {
    if (KivLight* l = light(i)) l->setBeam(angle);
}
float KivLight_GetBeam(int i) {
    KivLight* l = light(i);
    return l != nullptr ? l->getBeam() : 0.0f;
}

float KivLight_GetFieldCos(int i) {
    KivLight* l = light(i);
    return l != nullptr ? l->getFieldCos() : 0.0f;
}
float KivLight_GetBeamCos(int i) {
    KivLight* l = light(i);
    return l != nullptr ? l->getBeamCos() : 0.0f;
}
float KivLight_GetSourceSpotCoefficient(int i) {
    KivLight* l = light(i);
    return l != nullptr ? l->getSourceSpotCoefficient() : 0.0f;
}

KivLight& KivLight_GetReference(int i) {
    KivLight* l = light(i);
    if (l == nullptr) throw std::out_of_range("KivLight_GetReference: no light at this index");
    return *l;
}

KivLight* KivLight_GetPointer(int i) { return light(i); }
KivLight** KivLight_GetPointer() { return lights().data(); }

KivLong KivLight_Output(int first, int last, const char* path) {
    return lights().output(first, last, path);
}

void KivLightData_Initialize() { lightData().initialize(); }

KivLong KivLightData_End() {
    lightData().end();
    return 1;
}

KivLong KivLightData_End(void* scene) {
    if (scene == nullptr) return 0;
    static_cast<KivScene*>(scene)->lightData.end();
    return 1;
}

int KivLightData_Instanciate(KivLightData* d) { return lightData().instanciate(d); }
void KivLightData_Append(KivLightData* d) { lightData().append(d); }
int KivLightData_EndInstance() { return lightData().endInstance(); }
int KivLightData_GetCount() { return lightData().instanceCount(); }

void KivLightData_InitializeWithIndex(int i) {
    if (KivLightData* d = lightData().at(i)) d->init();
}

KivLightData* KivLightData_GetPointer(int i) { return lightData().at(i); }

KivLightData& KivLightData_GetReference(int i) {
    KivLightData* d = lightData().at(i);
    if (d == nullptr) throw std::out_of_range("KivLightData_GetReference: no data at this index");
    return *d;
}

KivLightData** KivLightData_GetPointer() { return lightData().data(); }

KivLong KivLightData_Output(int first, int last, const char* path) {
    return lightData().output(first, last, path);
}

KivLong KivLightData_Delete(int) { return 0; }
