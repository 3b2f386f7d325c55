#include "engine/api/surface_api.h"

#include "engine/scene.h"

namespace {
kiv::SurfaceRegistry& surfaces() { return kiv::scene().surfaces; }
KivParentSurface* surfaceAt(int i) { return surfaces().at(i); }
using kiv::SurfaceRegistry;
}  // namespace

void KivSurface_InitializeStack() { surfaces().initializeStack(); }
// Emptying the registry also releases the lightmap buffers the surfaces own (none while a
// shared image is set).
void KivSurface_Initialize() {
    KivScene& s = kiv::scene();
    kiv::endLightmaps(s);
    kiv::endIndirectLightmaps(s);
    s.surfaces.initialize();
}
void KivSurface_SetAttributeName(const char* name) { surfaces().setAttributeName(name); }
void KivSurface_SetMapWrapU(int mode) { surfaces().setMapWrapU(mode); }
void KivSurface_SetMapWrapV(int mode) { surfaces().setMapWrapV(mode); }
void KivSurface_SetMapWrapW(int mode) { surfaces().setMapWrapW(mode); }
void KivSurface_SetFlags(int flags) { surfaces().setFlags(flags); }
void KivSurface_SetGroupId(int id) { surfaces().setGroupId(id); }
void KivSurface_SetCheckOnOnePlane(KivLong check) { surfaces().setCheckOnOnePlane(check); }
void KivSurface_SetCheckVertexOnOnePlane(KivLong check) { surfaces().setCheckOnOnePlane(check); }

int KivSurface_Instanciate(int nverts, const KivPoint* p, const KivVector* n, const KivUvw* uv,
                           float interval, int multiple) {
    const kiv::SurfaceEnvironment env = kiv::surfaceEnvironment(kiv::scene());
    return surfaces().instanciate(env, nverts, p, n, uv,
                                  SurfaceRegistry::resolveSpacing(env, interval, multiple));
}

int KivSurface_Instanciate(int nverts, const KivPoint* p, const KivVector* n, const KivUvw* uv,
                           float interval, int multiple, float intervalIndirect,
                           int multipleIndirect) {
    const kiv::SurfaceEnvironment env = kiv::surfaceEnvironment(kiv::scene());
    return surfaces().instanciate(env, nverts, p, n, uv,
                                  SurfaceRegistry::resolveSpacing(
                                      env, interval, multiple, intervalIndirect, multipleIndirect));
}

int KivSurface_InstanciateDouble(int nverts, const KivPoint* p, const KivVector* n,
                                 const KivUvw* uv, float interval, int multiple) {
    const kiv::SurfaceEnvironment env = kiv::surfaceEnvironment(kiv::scene());
    return surfaces().instanciateDouble(env, nverts, p, n, uv,
                                        SurfaceRegistry::resolveSpacing(env, interval, multiple));
}

int KivSurface_InstanciateDouble(int nverts, const KivPoint* p, const KivVector* n,
                                 const KivUvw* uv, float interval, int multiple,
                                 float intervalIndirect, int multipleIndirect) {
    const kiv::SurfaceEnvironment env = kiv::surfaceEnvironment(kiv::scene());
    return surfaces().instanciateDouble(
        env, nverts, p, n, uv,
        SurfaceRegistry::resolveSpacing(env, interval, multiple, intervalIndirect,
                                        multipleIndirect));
}

int KivSurface_Instanciate(int nverts, const KivPoint* p, const KivVector* n, const KivUvw* uv,
                           float interval, int multiple, int flags, KivColor diffuse) {
    // The indirect grid keeps a fresh surface's own spacing.
    const KivParentSurface fresh;
    return surfaces().instanciateDirect(
        nverts, p, n, uv,
        {interval, multiple, fresh.intervalIndirect, fresh.intervalMultipleIndirect}, flags,
        diffuse);
}

int KivSurface_Instanciate(int nverts, const KivPoint* p, const KivVector* n, const KivUvw* uv,
                           float interval, int multiple, float intervalIndirect,
                           int multipleIndirect, int flags, KivColor diffuse) {
    return surfaces().instanciateDirect(
        nverts, p, n, uv, {interval, multiple, intervalIndirect, multipleIndirect}, flags, diffuse);
}

int KivSurface_Instanciate(int nverts, const KivPoint* p, const KivVector* n, const KivUvw* uv,
                           int flags, KivColor diffuse) {
    const kiv::SurfaceEnvironment env = kiv::surfaceEnvironment(kiv::scene());
    return surfaces().instanciateDirect(
        nverts, p, n, uv,
        {env.interval, env.intervalMultiple, env.intervalIndirect, env.intervalMultipleIndirect},
        flags, diffuse);
}

void KivSurface_Append(KivParentSurface surface) { surfaces().append(surface); }
int KivSurface_GetInstanceCount() { return surfaces().instanceCount(); }
int KivSurface_GetInstanceCount2() { return surfaces().instanceCount2(); }
int KivSurface_EndInstance() { return surfaces().records.endInstance(); }
KivParentSurface* KivSurface_GetReference(int i) { return surfaces().records.getReference(i); }
KivParentSurface* KivSurface_GetPointer() { return surfaces().records.getPointer(); }
KivParentSurface* KivSurface_GetPointer(int i) { return surfaces().records.getPointer(i); }

KivLong KivSurface_Output(int from, int to, const char* path) {
    kiv::SurfaceRegistry& r = surfaces();
    return kiv::outputRecords(r.records.endedCount(), from, to, path,
                              [&r](std::FILE* f, int i) { r.records[i].output(f); });
}

KivLong KivSurface_End() { return KivSurface_End(kiv::currentScenePointer()); }

KivLong KivSurface_End(void* scene) {
    if (scene == nullptr) return 0;
    KivScene& s = *static_cast<KivScene*>(scene);
    kiv::endLightmaps(s);
    kiv::endIndirectLightmaps(s);
    s.surfaces.end();
    return 1;
}

KivLong KivSurface_Delete(int) { return 0; }
int KivSurface_GetGroupCount() { return surfaces().groupCount(); }

void KivSurface_InitializeWithIndex(int i) {
    if (KivParentSurface* s = surfaceAt(i)) s->init();
}

void KivSurface_DoSet(int i) {
    if (KivParentSurface* s = surfaceAt(i)) s->doSet();
}

void KivSurface_SetInterval(int i, float value) {
    if (KivParentSurface* s = surfaceAt(i)) s->setInterval(value);
}

float KivSurface_GetInterval(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getInterval() : 0.0f;
}

void KivSurface_SetIntervalMultiple(int i, int value) {
    if (KivParentSurface* s = surfaceAt(i)) s->setIntervalMultiple(value);
}

int KivSurface_GetIntervalMultiple(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getIntervalMultiple() : 0;
}

void KivSurface_SetIntervalIndirect(int i, float value) {
    if (KivParentSurface* s = surfaceAt(i)) s->setIntervalIndirect(value);
}

float KivSurface_GetIntervalIndirect(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getIntervalIndirect() : 0.0f;
}

void KivSurface_SetIntervalMultipleIndirect(int i, int value) {
    if (KivParentSurface* s = surfaceAt(i)) s->setIntervalMultipleIndirect(value);
}

int KivSurface_GetIntervalMultipleIndirect(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getIntervalMultipleIndirect() : 0;
}

void KivSurface_SetAttributeIndex(int i, int value) {
    if (KivParentSurface* s = surfaceAt(i)) s->setAttrIndex(value);
}

int KivSurface_GetAttributeIndex(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getAttrIndex() : -1;
}

void KivSurface_SetFlags(int i, int value) {
    if (KivParentSurface* s = surfaceAt(i)) s->setFlags(value);
}

int KivSurface_GetFlags(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getFlags() : 0;
}

void KivSurface_SetGroupId(int i, int value) {
    if (KivParentSurface* s = surfaceAt(i)) s->setGroupId(value);
}

int KivSurface_GetGroupId(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getGroupId() : 0;
}

void KivSurface_SetNverts(int i, int value) {
    if (KivParentSurface* s = surfaceAt(i)) s->setNverts(value);
}

int KivSurface_GetNverts(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getNverts() : 0;
}

void KivSurface_SetPosition(int i, const KivPoint* value) {
    if (KivParentSurface* s = surfaceAt(i)) s->setPosition(value);
}

KivPoint* KivSurface_GetPosition(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getPosition() : nullptr;
}

void KivSurface_SetNormal(int i, const KivVector* value) {
    if (KivParentSurface* s = surfaceAt(i)) s->setNormal(value);
}

KivVector* KivSurface_GetNormal(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getNormal() : nullptr;
}

void KivSurface_SetUvw(int i, const KivUvw* value) {
    if (KivParentSurface* s = surfaceAt(i)) s->setUvw(value);
}

KivUvw* KivSurface_GetUvw(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getUvw() : nullptr;
}

void KivSurface_SetDiffuse(int i, KivColor value) {
    if (KivParentSurface* s = surfaceAt(i)) s->setDiffuse(value);
}

KivColor KivSurface_GetDiffuse(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getDiffuse() : KivColor();
}

void KivSurface_SetLightmap(int i, unsigned char* value) {
    if (KivParentSurface* s = surfaceAt(i)) s->setLightmap(value);
}

unsigned char* KivSurface_GetLightmap(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getLightmap() : nullptr;
}

void KivSurface_SetLightmapUvw(int i, const KivUvw* value) {
    if (KivParentSurface* s = surfaceAt(i)) s->setLightmapUvw(value);
}

KivUvw* KivSurface_GetLightmapUvw(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getLightmapUvw() : nullptr;
}

void KivSurface_SetUpdateLightmapFlag(int i, int value) {
    if (KivParentSurface* s = surfaceAt(i)) s->setUpdateLightmapFlag(value);
}

int KivSurface_GetUpdateLightmapFlag(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getUpdateLightmapFlag() : 0;
}

void KivSurface_SetLightmapIndirect(int i, unsigned char* value) {
    if (KivParentSurface* s = surfaceAt(i)) s->setLightmapIndirect(value);
}

unsigned char* KivSurface_GetLightmapIndirect(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getLightmapIndirect() : nullptr;
}

void KivSurface_SetLightmapUvwIndirect(int i, const KivUvw* value) {
    if (KivParentSurface* s = surfaceAt(i)) s->setLightmapUvwIndirect(value);
}

KivUvw* KivSurface_GetLightmapUvwIndirect(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getLightmapUvwIndirect() : nullptr;
}

void KivSurface_SetUpdateLightmapIndirectFlag(int i, int value) {
    if (KivParentSurface* s = surfaceAt(i)) s->setUpdateLightmapIndirectFlag(value);
}

int KivSurface_GetUpdateLightmapIndirectFlag(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getUpdateLightmapIndirectFlag() : 0;
}

int KivSurface_GetWidth(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getWidth() : 0;
}

int KivSurface_GetHeight(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getHeight() : 0;
}

float KivSurface_GetWInterval(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getWInterval() : 0.0f;
}

float KivSurface_GetHInterval(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getHInterval() : 0.0f;
}

int KivSurface_GetWidthIndirect(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getWidthIndirect() : 0;
}

int KivSurface_GetHeightIndirect(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getHeightIndirect() : 0;
}

float KivSurface_GetWIntervalIndirect(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getWIntervalIndirect() : 0.0f;
}

float KivSurface_GetHIntervalIndirect(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getHIntervalIndirect() : 0.0f;
}

float KivSurface_GetArea(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getArea() : 0.0f;
}

KivPoint* KivSurface_GetOuterSquarePos(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getOuterSquarePos() : nullptr;
}

KivVector KivSurface_GetPlaneNormal(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getPlaneNormal() : KivVector();
}

float KivSurface_GetPlaneHeight(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getPlaneHeight() : 0.0f;
}

int KivSurface_GetVertTotalCount(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getVertTotalCount() : 0;
}

int KivSurface_GetVertArrayIndex(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getVertArrayIndex() : 0;
}

int KivSurface_GetVertInnerCount(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getVertInnerCount() : 0;
}

int KivSurface_GetIndirectVertTotalCount(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getIndirectVertTotalCount() : 0;
}

int KivSurface_GetIndirectVertArrayIndex(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getIndirectVertArrayIndex() : 0;
}

int KivSurface_GetIndirectVertInnerCount(int i) {
    KivParentSurface* s = surfaceAt(i);
    return s != nullptr ? s->getIndirectVertInnerCount() : 0;
}
