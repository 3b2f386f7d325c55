#include "engine/lightmap.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "engine/lightmap_jpeg.h"
#include "engine/scene.h"
#include "engine/surface_registry.h"

namespace kiv {

namespace {

struct Grid {
    int width;
    int height;
};

Grid gridOf(const KivParentSurface& s, LightmapKind kind) {
    return kind == LightmapKind::Direct ? Grid{s.width, s.height}
                                        : Grid{s.widthIndirect, s.heightIndirect};
}

unsigned char*& bufferOf(KivParentSurface& s, LightmapKind kind) {
    return kind == LightmapKind::Direct ? s.lightmap : s.lightmapIndirect;
}

void create(KivParentSurface& s, LightmapKind kind, int components) {
    if (kind == LightmapKind::Direct)
        s.createLightmap(components);
    else
        s.createLightmapIndirect(components);
}

bool validComponents(int c) { return c >= 1 && c <= 4; }

}  // namespace

void instanciateAllLightmaps(SurfaceRegistry& surfaces, const LightmapSettings& settings,
                             LightmapKind kind) {
    for (KivParentSurface& s : surfaces.records) create(s, kind, settings.components);
}

void instanciateLightmap(SurfaceRegistry& surfaces, const LightmapSettings& settings,
                         LightmapKind kind, int i) {
    if (KivParentSurface* s = surfaces.at(i)) create(*s, kind, settings.components);
}

void instanciateLightmap(SurfaceRegistry& surfaces, LightmapKind kind, int i,
                         unsigned char* buffer) {
    if (KivParentSurface* s = surfaces.at(i)) bufferOf(*s, kind) = buffer;
}

KivLong placeLightmapRegion(SurfaceRegistry& surfaces, const LightmapSettings& settings,
                            LightmapKind kind, int i, int x, int y) {
    KivParentSurface* s = surfaces.at(i);
    if (s == nullptr || settings.shared == nullptr || !validComponents(settings.components))
        return 0;
    const Grid g = gridOf(*s, kind);
    if (x < 0 || y < 0 || !gridFits(g.width, g.height)) return 0;
    if (static_cast<long long>(x) + g.width > settings.sharedWidth) return 0;
    if (settings.sharedHeight > 0 && static_cast<long long>(y) + g.height > settings.sharedHeight)
        return 0;
    bufferOf(*s, kind) = settings.shared + (static_cast<std::size_t>(x) +
                                            static_cast<std::size_t>(y) *
                                                static_cast<std::size_t>(settings.sharedWidth)) *
                                               static_cast<std::size_t>(settings.components);
    return 1;
}

KivLong outputLightmaps(SurfaceRegistry& surfaces, const LightmapSettings& settings,
                        LightmapKind kind, int from, int to, const char* basePath) {
    const std::string base = basePath != nullptr ? basePath : "";
    if (from == -1 && to == -1) {
        if (settings.shared == nullptr || basePath == nullptr) return 0;
        const std::string path =
            base + (kind == LightmapKind::Direct ? "_ShareAll.jpg" : "_ShareIndirectAll.jpg");
        return writeLightmapJpeg(path, settings.shared, settings.sharedWidth, settings.sharedHeight,
                                 settings.components, settings.sharedWidth)
                   ? 1
                   : 0;
    }
    if (from < 0 || from > to || to > surfaces.instanceCount() - 1 || basePath == nullptr) return 0;
    KivLong result = 1;
    for (int i = from; i <= to; ++i) {
        KivParentSurface& s = surfaces.records[i];
        const Grid g = gridOf(s, kind);
        const unsigned char* buffer = bufferOf(s, kind);
        const std::string path = base + "_" + std::to_string(i) + ".jpg";
        if (buffer == nullptr || !gridFits(g.width, g.height) ||
            !writeLightmapJpeg(path, buffer, g.width, g.height, settings.components,
                               lightmapRowLength(settings, g.width)))
            result = 0;  // the others are still written
    }
    return result;
}

void releaseLightmaps(SurfaceRegistry& surfaces, const LightmapSettings& settings,
                      LightmapKind kind) {
    if (settings.shared != nullptr) return;
    // Copied records (Append) can name the same buffer: release each buffer once.
    std::vector<unsigned char*> owned;
    for (KivParentSurface& s : surfaces.records) {
        unsigned char*& b = bufferOf(s, kind);
        if (b != nullptr) owned.push_back(b);
        b = nullptr;
    }
    std::sort(owned.begin(), owned.end());
    owned.erase(std::unique(owned.begin(), owned.end()), owned.end());
    for (unsigned char* b : owned) delete[] b;
}

void endLightmaps(KivScene& scene) {
    releaseLightmaps(scene.surfaces, scene.lightmaps, LightmapKind::Direct);
}

void endIndirectLightmaps(KivScene& scene) {
    releaseLightmaps(scene.surfaces, scene.indirectLightmaps, LightmapKind::Indirect);
}

}  // namespace kiv
