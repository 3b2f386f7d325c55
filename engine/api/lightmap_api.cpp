#include "engine/api/lightmap_api.h"

#include "engine/lightmap.h"
#include "engine/scene.h"

using kiv::LightmapKind;

// Lightmap family.
void KivLightmap_SetShare(unsigned char* share) { kiv::scene().lightmaps.shared = share; }
unsigned char* KivLightmap_GetShare() { return kiv::scene().lightmaps.shared; }
void KivLightmap_SetShareWidth(int width) { kiv::scene().lightmaps.sharedWidth = width; }
int KivLightmap_GetShareWidth() { return kiv::scene().lightmaps.sharedWidth; }
void KivLightmap_SetShareHeight(int height) { kiv::scene().lightmaps.sharedHeight = height; }
int KivLightmap_GetShareHeight() { return kiv::scene().lightmaps.sharedHeight; }
void KivLightmap_SetNumComponents(int components) {
    kiv::scene().lightmaps.components = components;
}
int KivLightmap_GetNumComponents() { return kiv::scene().lightmaps.components; }

void KivLightmap_InstanciateAll() {
    KivScene& s = kiv::scene();
    kiv::instanciateAllLightmaps(s.surfaces, s.lightmaps, LightmapKind::Direct);
}

void KivLightmap_Instanciate(int i) {
    KivScene& s = kiv::scene();
    kiv::instanciateLightmap(s.surfaces, s.lightmaps, LightmapKind::Direct, i);
}

void KivLightmap_Instanciate(int i, unsigned char* buffer) {
    kiv::instanciateLightmap(kiv::scene().surfaces, LightmapKind::Direct, i, buffer);
}

KivLong KivLightmap_Instanciate(int i, unsigned char* share, int shareWidth, int shareHeight, int x,
                                int y) {
    KivScene& s = kiv::scene();
    s.lightmaps.shared = share;
    s.lightmaps.sharedWidth = shareWidth;
    s.lightmaps.sharedHeight = shareHeight;
    return kiv::placeLightmapRegion(s.surfaces, s.lightmaps, LightmapKind::Direct, i, x, y);
}

KivLong KivLightmap_Instanciate(int i, int x, int y) {
    KivScene& s = kiv::scene();
    return kiv::placeLightmapRegion(s.surfaces, s.lightmaps, LightmapKind::Direct, i, x, y);
}

KivLong KivLightmap_Output(int from, int to, char, const char* basePath) {
    KivScene& s = kiv::scene();
    return kiv::outputLightmaps(s.surfaces, s.lightmaps, LightmapKind::Direct, from, to, basePath);
}

KivLong KivLightmap_End() {
    KivScene& s = kiv::scene();
    kiv::releaseLightmaps(s.surfaces, s.lightmaps, LightmapKind::Direct);
    return 1;
}

KivLong KivLightmap_End(void* scene) {
    if (scene == nullptr) return 0;
    KivScene& s = *static_cast<KivScene*>(scene);
    kiv::releaseLightmaps(s.surfaces, s.lightmaps, LightmapKind::Direct);
    return 1;
}

// IndirectLightmap family.
void KivIndirectLightmap_SetShare(unsigned char* share) {
    kiv::scene().indirectLightmaps.shared = share;
}
unsigned char* KivIndirectLightmap_GetShare() { return kiv::scene().indirectLightmaps.shared; }
void KivIndirectLightmap_SetShareWidth(int width) {
    kiv::scene().indirectLightmaps.sharedWidth = width;
}
int KivIndirectLightmap_GetShareWidth() { return kiv::scene().indirectLightmaps.sharedWidth; }
void KivIndirectLightmap_SetShareHeight(int height) {
    kiv::scene().indirectLightmaps.sharedHeight = height;
}
int KivIndirectLightmap_GetShareHeight() { return kiv::scene().indirectLightmaps.sharedHeight; }
void KivIndirectLightmap_SetNumComponents(int components) {
    kiv::scene().indirectLightmaps.components = components;
}
int KivIndirectLightmap_GetNumComponents() { return kiv::scene().indirectLightmaps.components; }

void KivIndirectLightmap_InstanciateAll() {
    KivScene& s = kiv::scene();
    kiv::instanciateAllLightmaps(s.surfaces, s.indirectLightmaps, LightmapKind::Indirect);
}

void KivIndirectLightmap_Instanciate(int i) {
    KivScene& s = kiv::scene();
    kiv::instanciateLightmap(s.surfaces, s.indirectLightmaps, LightmapKind::Indirect, i);
}

void KivIndirectLightmap_Instanciate(int i, unsigned char* buffer) {
    kiv::instanciateLightmap(kiv::scene().surfaces, LightmapKind::Indirect, i, buffer);
}

KivLong KivIndirectLightmap_Instanciate(int i, unsigned char* share, int shareWidth,
                                        int shareHeight, int x, int y) {
    KivScene& s = kiv::scene();
    s.indirectLightmaps.shared = share;
    s.indirectLightmaps.sharedWidth = shareWidth;
    s.indirectLightmaps.sharedHeight = shareHeight;
    return kiv::placeLightmapRegion(s.surfaces, s.indirectLightmaps, LightmapKind::Indirect, i, x,
                                    y);
}

KivLong KivIndirectLightmap_Instanciate(int i, int x, int y) {
    KivScene& s = kiv::scene();
    return kiv::placeLightmapRegion(s.surfaces, s.indirectLightmaps, LightmapKind::Indirect, i, x,
                                    y);
}

KivLong KivIndirectLightmap_Output(int from, int to, char, const char* basePath) {
    KivScene& s = kiv::scene();
    return kiv::outputLightmaps(s.surfaces, s.indirectLightmaps, LightmapKind::Indirect, from, to,
                                basePath);
}

KivLong KivIndirectLightmap_End() {
    KivScene& s = kiv::scene();
    kiv::releaseLightmaps(s.surfaces, s.indirectLightmaps, LightmapKind::Indirect);
    return 1;
}

KivLong KivIndirectLightmap_End(void* scene) {
    if (scene == nullptr) return 0;
    KivScene& s = *static_cast<KivScene*>(scene);
    kiv::releaseLightmaps(s.surfaces, s.indirectLightmaps, LightmapKind::Indirect);
    return 1;
}
