#include "engine/api/map_api.h"

#include "engine/scene.h"

namespace {
kiv::MapRegistry& maps() { return kiv::scene().maps; }
}  // namespace

void KivMap_InitializeStack() { maps().initializeStack(); }
void KivMap_Initialize() { maps().initialize(); }
void KivMap_SetMinFilter(int f) { maps().stack.minFilter = f; }
void KivMap_SetMagFilter(int f) { maps().stack.magFilter = f; }
int KivMap_Instanciate(const char*, const char*) { return 0; }
int KivMap_InstanciateNamed(const char* name, const char* path) {
    return maps().instanciate(name, path);
}
int KivMap_GetInstanceCount() { return maps().instanceCount(); }

KivLong KivMap_BindImage(int map, int width, int height, int planes, unsigned char* bitmap) {
    return maps().bindImage(map, width, height, planes, bitmap);
}

KivLong KivMap_BindImage(const char* name, int width, int height, int planes,
                         unsigned char* bitmap) {
    return maps().bindImage(maps().indexFromName(name), width, height, planes, bitmap);
}

KivLong KivMap_UnbindImage(int map) { return maps().unbindImage(map); }
KivLong KivMap_UnbindImage(const char* name) {
    return maps().unbindImage(maps().indexFromName(name));
}

KivMap* KivMap_GetReference(int i) { return maps().records.getReference(i); }
KivMap* KivMap_GetPointer() { return maps().records.getPointer(); }
KivMap* KivMap_GetPointer(int i) { return maps().records.getPointer(i); }
int KivMap_GetIndexFromName(const char* name) { return maps().indexFromName(name); }

KivLong KivMap_End() { return maps().end(); }

KivLong KivMap_End(void* scene) {
    if (scene == nullptr) return 0;
    return static_cast<KivScene*>(scene)->maps.end();
}
