#include "engine/api/scene_api.h"

#include "engine/scene.h"

void* KivScene_Create() {
    auto* s = new KivScene();
    kiv::currentScenePointer() = s;
    return s;
}

void KivScene_MakeCurrent(void* scene) { kiv::currentScenePointer() = static_cast<KivScene*>(scene); }

void KivScene_Initialize() { kiv::scene().initialize(); }

KivLong KivScene_End() {
    KivScene* s = kiv::currentScenePointer();
    s->endSequence();
    delete s;
    kiv::currentScenePointer() = nullptr;
    return 1;
}

KivLong KivScene_End(void* scene) {
    auto* s = static_cast<KivScene*>(scene);
    s->endSequence();
    delete s;
    return 1;
}

KivLong KivScene_Delete() {
    delete kiv::currentScenePointer();
    kiv::currentScenePointer() = nullptr;
    return 1;
}

KivLong KivScene_Delete(void* scene) {
    delete static_cast<KivScene*>(scene);
    return 1;
}
