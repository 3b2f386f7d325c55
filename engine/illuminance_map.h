#pragma once
// The illuminance atlas: every surface's direct grid packed as a block into one power-of-two
// float image, and the conversion of lightmap coordinates into atlas coordinates.
#include <map>

#include "engine/kiv_types.h"

class KivScene;

namespace kiv {

struct AtlasPlacement {
    int surface = 0;
    int x = 0;  // texel column of the block's left edge
    int y = 0;  // texel row of the block's top edge, counted downwards
};

struct IlluminanceMapSettings {
    int reserved = 0;
    int width = 0;
    int height = 0;
    int components = 3;
    // Grid width -> placement; equal widths keep their insertion (surface index) order.
    std::multimap<int, AtlasPlacement> placements;

    void reset() {
        reserved = 0;
        width = height = 0;
        components = 3;
        placements.clear();
    }
};

// Smallest power of two not below n (0 for n <= 0).
int powerOfTwoCeil(long long n);

// Packs the surfaces (all of them, or those of one group id) into the atlas.
void sortAll(KivScene& scene);
bool sortGroup(KivScene& scene, int groupListIndex);
// Fills a width x height x components buffer from the vertices of the placed surfaces.
void createIlluminance(KivScene& scene, float* buffer);
// Converts the placed surfaces' lightmap coordinates into atlas coordinates.
void convertUv(KivScene& scene, const int* groupId);
// Number of texture coordinates of all surfaces, or of one group.
int uvCount(KivScene& scene, const int* groupId);
// Copies u, v of the surfaces' lightmap coordinates (all, or one group) in registry order.
void copyUv(KivScene& scene, const int* groupId, KivUvw* out);
// The group id of entry k of the group list, or false when k is not an entry.
bool groupIdAt(KivScene& scene, int k, int& id);

}  // namespace kiv
