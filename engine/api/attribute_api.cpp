#include "engine/api/attribute_api.h"

#include "engine/scene.h"

namespace {
kiv::AttributeRegistry& attributes() { return kiv::scene().attributes; }
kiv::AttributeStack& stack() { return kiv::scene().attributes.stack; }
}  // namespace

void KivAttribute_InitializeStack() { attributes().initializeStack(); }
void KivAttribute_Initialize() { attributes().initialize(); }

void KivAttribute_InitializeWithIndex(int i) {
    if (KivAttribute* a = attributes().find(i)) a->init();
}

void KivAttribute_SetName(const char* name) { kiv::copyName(stack().name, name); }
void KivAttribute_SetDiffuse(KivColor c) { kiv::setRgb(stack().diffuse, c); }
void KivAttribute_SetSpecular(KivColor c) { kiv::setRgb(stack().specular, c); }
void KivAttribute_SetEmission(KivColor c) { kiv::setRgb(stack().emission, c); }
void KivAttribute_SetTransparency(KivColor c) { kiv::setRgb(stack().transparency, c); }
void KivAttribute_SetReflectivity(float v) { stack().reflectivity = v; }
void KivAttribute_SetShineness(float v) { stack().shineness = v; }
void KivAttribute_SetRefractionIndex(float v) { stack().refractionIndex = v; }

void KivAttribute_SetTextureSize(float u, float v) {
    stack().textureSize[0] = u;
    stack().textureSize[1] = v;
}

void KivAttribute_SetMap(int flags, const char* mapName) { stack().setMap(flags, mapName); }

int KivAttribute_Instanciate(const char* name) {
    return attributes().instanciate(name, kiv::scene().maps);
}

void KivAttribute_Append(KivAttribute a) { attributes().append(a); }
int KivAttribute_GetInstanceCount() { return attributes().instanceCount(); }
int KivAttribute_EndInstance() { return attributes().endInstance(); }

int KivAttribute_GetMapType(int i) {
    const KivAttribute* a = attributes().find(i);
    return a != nullptr ? a->getMapType() : 0;
}

void KivAttribute_SetMapType(int i, int bits) {
    if (KivAttribute* a = attributes().find(i)) a->setMapType(bits);
}

int KivAttribute_GetDiffuseMapIndex(int i) {
    const KivAttribute* a = attributes().find(i);
    return a != nullptr ? a->getDiffuseMapIndex() : -1;
}

void KivAttribute_SetDiffuseMapIndex(int i, int map) {
    if (KivAttribute* a = attributes().find(i)) a->setDiffuseMapIndex(map);
}

KivAttribute* KivAttribute_GetReference(int i) { return attributes().records.getReference(i); }
KivAttribute* KivAttribute_GetPointer() { return attributes().records.getPointer(); }
KivAttribute* KivAttribute_GetPointer(int i) { return attributes().records.getPointer(i); }
int KivAttribute_GetIndexFromName(const char* name) { return attributes().indexFromName(name); }

KivLong KivAttribute_End() { return attributes().end(); }

KivLong KivAttribute_End(void* scene) {
    if (scene == nullptr) return 0;
    return static_cast<KivScene*>(scene)->attributes.end();
}

KivLong KivAttribute_Delete(int) { return 0; }
