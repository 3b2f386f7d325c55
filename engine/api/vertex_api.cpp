#include "engine/api/vertex_api.h"

#include "engine/scene.h"

namespace {
kiv::VertexStore& store() { return kiv::scene().vertices; }
}  // namespace

void KivVertex_Initialize() { store().initializeDirect(); }

int KivVertex_Create() {
    KivScene& s = kiv::scene();
    return s.vertices.createDirect(s.surfaces, s.lightmaps);
}

int KivVertex_GetCount() { return static_cast<int>(store().direct.size()); }
int KivVertex_GetCount2() { return kiv::VertexStore::countDirect2(kiv::scene().surfaces); }
void KivVertex_SetCurrentUpdateNumber(int number) { store().currentUpdateNumber = number; }
int KivVertex_GetCurrentUpdateNumber() { return store().currentUpdateNumber; }
void KivVertex_InitializeUpdateNumber() { store().initializeUpdateNumbersDirect(); }

KivVertex* KivVertex_GetReference(int i) { return &store().direct.at(static_cast<std::size_t>(i)); }

KivVertex* KivVertex_GetPointer() {
    auto& v = store().direct;
    return v.empty() ? nullptr : v.data();
}

KivVertex* KivVertex_GetPointer(int i) { return store().direct.data() + i; }
void KivVertex_Output(const char* path) { store().outputDirect(path); }

KivLong KivVertex_End() {
    store().initializeDirect();
    return 1;
}

KivLong KivVertex_End(void* scene) {
    if (scene == nullptr) return 0;
    static_cast<KivScene*>(scene)->vertices.initializeDirect();
    return 1;
}

void KivIndirectVertex_Initialize() { store().initializeIndirect(); }

int KivIndirectVertex_Create() {
    KivScene& s = kiv::scene();
    return s.vertices.createIndirect(s.surfaces, s.indirectLightmaps);
}

int KivIndirectVertex_GetCount() { return static_cast<int>(store().indirect.size()); }

int KivIndirectVertex_GetCount2() {
    return kiv::VertexStore::countIndirect2(kiv::scene().surfaces);
}

void KivIndirectVertex_InitializeUpdateNumber() { store().initializeUpdateNumbersIndirect(); }

KivIndirectVertex* KivIndirectVertex_GetReference(int i) {
    return &store().indirect.at(static_cast<std::size_t>(i));
}

KivIndirectVertex* KivIndirectVertex_GetPointer() {
    auto& v = store().indirect;
    return v.empty() ? nullptr : v.data();
}

KivIndirectVertex* KivIndirectVertex_GetPointer(int i) { return store().indirect.data() + i; }
void KivIndirectVertex_Output(const char* path) { store().outputIndirect(path); }

KivLong KivIndirectVertex_End() {
    store().initializeIndirect();
    return 1;
}

KivLong KivIndirectVertex_End(void* scene) {
    if (scene == nullptr) return 0;
    static_cast<KivScene*>(scene)->vertices.initializeIndirect();
    return 1;
}
