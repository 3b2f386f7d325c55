#include "engine/api/illuminance_api.h"

#include "engine/illuminance_map.h"
#include "engine/scene.h"

using kiv::scene;

void KivIlluminancemap_Initialize() { scene().illuminance.reset(); }
void KivIlluminancemap_Sorting() { kiv::sortAll(scene()); }
KivLong KivIlluminancemap_SortingBySurfaceGroup(int k) { return kiv::sortGroup(scene(), k) ? 1 : 0; }
KivLong KivIlluminancemap_Create(float* buffer) {
    kiv::createIlluminance(scene(), buffer);
    return 1;
}
int KivIlluminancemap_GetWidth() { return scene().illuminance.width; }
void KivIlluminancemap_SetWidth(int w) { scene().illuminance.width = w; }
int KivIlluminancemap_GetHeight() { return scene().illuminance.height; }
void KivIlluminancemap_SetHeight(int h) { scene().illuminance.height = h; }
int KivIlluminancemap_GetNumComponents() { return scene().illuminance.components; }
void KivIlluminancemap_SetNumComponents(int n) { scene().illuminance.components = n; }

int KivUvmap_GetCount() { return kiv::uvCount(scene(), nullptr); }
int KivUvmap_GetCountBySurfaceGroup(int k) {
    int id = 0;
    return kiv::groupIdAt(scene(), k, id) ? kiv::uvCount(scene(), &id) : 0;
}
KivLong KivUvmap_Set() {
    kiv::convertUv(scene(), nullptr);
    return 1;
}
KivLong KivUvmap_SetBySurfaceGroup(int k) {
    int id = 0;
    if (!kiv::groupIdAt(scene(), k, id)) return 0;
    kiv::convertUv(scene(), &id);
    return 1;
}
KivLong KivUvmap_Create(KivUvw* out) {
    KivUvmap_Set();
    kiv::copyUv(scene(), nullptr, out);
    return 1;
}
KivLong KivUvmap_CreateBySurfaceGroup(int k, KivUvw* out) {
    int id = 0;
    if (!kiv::groupIdAt(scene(), k, id)) return 0;
    kiv::convertUv(scene(), &id);
    kiv::copyUv(scene(), &id, out);
    return 1;
}
