#pragma once
// Placeholder: filled in by the family that owns this component.
namespace kiv {
struct LightmapSettings {
    unsigned char* shared = nullptr;
    int sharedWidth = 0;
    int sharedHeight = 0;
    int components = 4;
    void reset() { *this = LightmapSettings{}; }
};
}  // namespace kiv

class KivScene;
namespace kiv {
// Release the surfaces' lightmap buffers (unless a shared buffer is in use).
void endLightmaps(KivScene& scene);
void endIndirectLightmaps(KivScene& scene);
}  // namespace kiv
