#pragma once
// Lightmaps: one byte image per surface grid (direct and indirect), either a buffer of the
// surface's own or a region of one shared image whose buffer stays the caller's.
#include "engine/kiv_types.h"

class KivScene;

namespace kiv {

class SurfaceRegistry;

// The scene's settings of one lightmap kind.
struct LightmapSettings {
    unsigned char* shared = nullptr;  // the caller's shared image, null when none
    int sharedWidth = 0;              // texels per row of the shared image
    int sharedHeight = 0;
    int components = 4;  // bytes per texel: red, green, blue and a fourth byte
    void reset() { *this = LightmapSettings{}; }
};

// Which of a surface's two lightmaps (and grids) an operation works on.
enum class LightmapKind { Direct, Indirect };

// Texels between the starts of two rows of a surface's lightmap: the shared image's width when
// one is set, else the surface's grid width. Texel (i, j) starts at
// base + (i + j * rowLength) * components.
inline int lightmapRowLength(const LightmapSettings& s, int gridWidth) {
    return s.sharedWidth != 0 ? s.sharedWidth : gridWidth;
}

// Every surface allocates its own buffer of its grid's size (none when the grid is beyond the
// per-surface limit or the components are outside 1..4).
void instanciateAllLightmaps(SurfaceRegistry& surfaces, const LightmapSettings& settings,
                             LightmapKind kind);
void instanciateLightmap(SurfaceRegistry& surfaces, const LightmapSettings& settings,
                         LightmapKind kind, int i);
// Surface i takes `buffer` as its lightmap; the engine releases it in the end.
void instanciateLightmap(SurfaceRegistry& surfaces, LightmapKind kind, int i,
                         unsigned char* buffer);
// Surface i's lightmap becomes the region at texel (x, y) of the shared image. Returns 1 when
// placed, 0 (lightmap unchanged) when there is no such surface, no shared image, components
// outside 1..4, or the region does not fit: it must start at x, y >= 0, fit within the shared
// width and, when a shared height is set, within that height.
KivLong placeLightmapRegion(SurfaceRegistry& surfaces, const LightmapSettings& settings,
                            LightmapKind kind, int i, int x, int y);
// Writes the lightmaps of surfaces from..to (or, with -1, -1, the shared image) as JPEG files
// basePath_<index>.jpg, basePath_ShareAll.jpg (indirect: basePath_ShareIndirectAll.jpg).
// Returns 1 when the range is valid and every image was written, else 0.
KivLong outputLightmaps(SurfaceRegistry& surfaces, const LightmapSettings& settings,
                        LightmapKind kind, int from, int to, const char* basePath);
// Without a shared image, releases every surface's lightmap of that kind (each buffer once,
// however many surfaces name it); with one, releases nothing.
void releaseLightmaps(SurfaceRegistry& surfaces, const LightmapSettings& settings,
                      LightmapKind kind);

// Release the surfaces' lightmap buffers (unless a shared buffer is in use).
void endLightmaps(KivScene& scene);
void endIndirectLightmaps(KivScene& scene);

}  // namespace kiv
