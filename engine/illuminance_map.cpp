#include "engine/illuminance_map.h"

#include <algorithm>
#include <vector>

#include "engine/scene.h"

namespace kiv {

int powerOfTwoCeil(long long n) {
    if (n <= 0) return 0;
    long long p = 1;
    while (p < n) p *= 2;
    return static_cast<int>(p);
}

namespace {

// Side of the smallest power-of-two square whose area covers total.
long long squareSide(long long total) {
    if (total <= 0) return 0;
    long long p = 1;
    while (p * p < total) p *= 2;
    return p;
}

void pack(KivScene& scene, const int* groupId) {
    IlluminanceMapSettings& m = scene.illuminance;
    m.reset();
    long long total = 0;
    const int n = scene.surfaces.records.instanceCount();
    for (int s = 0; s < n; ++s) {
        const KivParentSurface& surf = scene.surfaces.records[s];
        if (groupId != nullptr && surf.getGroupId() != *groupId) continue;
        m.placements.emplace(surf.getWidth(), AtlasPlacement{s, 0, 0});
        total += static_cast<long long>(surf.getWidth()) * surf.getHeight();
    }
    const long long side = squareSide(total);
    long long x = 0, y = 0, next = 0, maxY = 0;
    for (auto& [w, p] : m.placements) {
        const int h = scene.surfaces.records[p.surface].getHeight();
        if (y + h > side) {
            x = next;
            y = 0;
        }
        p.x = static_cast<int>(x);
        p.y = static_cast<int>(y);
        y += h;
        next = x + w;
        maxY = std::max(maxY, y);
    }
    m.width = powerOfTwoCeil(next);
    m.height = powerOfTwoCeil(maxY);
}

bool inGroup(const KivParentSurface& s, const int* groupId) {
    return groupId == nullptr || s.getGroupId() == *groupId;
}

}  // namespace

void sortAll(KivScene& scene) { pack(scene, nullptr); }

bool sortGroup(KivScene& scene, int k) {
    int id = 0;
    if (!groupIdAt(scene, k, id)) return false;
    pack(scene, &id);
    return true;
}

void createIlluminance(KivScene& scene, float* buffer) {
    const IlluminanceMapSettings& m = scene.illuminance;
    const int comps = std::min(m.components, 3);
    const int vertexCount = static_cast<int>(scene.vertices.direct.size());
    for (const auto& [w, p] : m.placements) {
        const KivParentSurface& s = scene.surfaces.records[p.surface];
        const int gw = s.getWidth(), gh = s.getHeight();
        const int first = s.getVertArrayIndex();
        // Surfaces whose sample points do not exist (yet) leave their block as it is.
        if (first < 0 || static_cast<long long>(first) + static_cast<long long>(gw) * gh > vertexCount)
            continue;
        // Blocks outside the map (a map size changed after sorting) are skipped too.
        if (p.x + gw > m.width || p.y + gh > m.height) continue;
        const bool survey = (s.getFlags() & kSurfaceSurvey) != 0;
        auto texel = [&](int i, int j) {
            return buffer + (static_cast<long long>(m.height - 1 - p.y - j) * m.width + p.x + i) *
                                m.components;
        };
        for (int j = 0; j < gh; ++j) {
            for (int i = 0; i < gw; ++i) {
                const KivVertex& v = scene.vertices.direct[static_cast<std::size_t>(first + j * gw + i)];
                const KivColor& c = survey ? v.current : v.received;
                const float vals[3] = {c.r, c.g, c.b};
                float* t = texel(i, j);
                for (int k = 0; k < comps; ++k) t[k] = vals[k];
            }
        }
        // A triangle on a 2 x 2 grid has no sample point in its fourth corner: extrapolate it
        // from its neighbours.
        if (s.getNverts() == 3 && gw == 2 && gh == 2) {
            const float* a = texel(1, 0);
            const float* b = texel(0, 1);
            const float* z = texel(0, 0);
            float* t = texel(1, 1);
            for (int k = 0; k < comps; ++k) {
                float v = a[k] + b[k] - z[k];
                if (!survey && v < 0.0f) v = (a[k] + b[k]) / 2.0f;
                t[k] = v;
            }
        }
    }
}

void convertUv(KivScene& scene, const int* groupId) {
    const IlluminanceMapSettings& m = scene.illuminance;
    const float W = static_cast<float>(m.width), H = static_cast<float>(m.height);
    for (const auto& [w, p] : m.placements) {
        KivParentSurface& s = scene.surfaces.records[p.surface];
        if (!inGroup(s, groupId)) continue;
        KivUvw* uv = s.getLightmapUvw();
        const int n = s.getNverts() == 3 ? 3 : 4;
        for (int k = 0; k < n; ++k) {
            uv[k].u = uv[k].u * static_cast<float>(s.getWidth()) / W + static_cast<float>(p.x) / W;
            uv[k].v = uv[k].v * static_cast<float>(s.getHeight()) / H + static_cast<float>(p.y) / H;
        }
        if (s.getNverts() == 3) uv[3] = uv[2];
    }
}

int uvCount(KivScene& scene, const int* groupId) {
    int n = 0;
    for (const KivParentSurface& s : scene.surfaces.records)
        if (inGroup(s, groupId)) n += s.getNverts();
    return n;
}

void copyUv(KivScene& scene, const int* groupId, KivUvw* out) {
    for (KivParentSurface& s : scene.surfaces.records) {
        if (!inGroup(s, groupId)) continue;
        const KivUvw* uv = s.getLightmapUvw();
        const int n = std::clamp(s.getNverts(), 0, 4);
        for (int k = 0; k < n; ++k) {
            out->u = uv[k].u;
            out->v = uv[k].v;
            ++out;
        }
    }
}

}  // namespace kiv

namespace kiv {
bool groupIdAt(KivScene& scene, int k, int& id) {
    const std::vector<int>& groups = scene.surfaces.groups;
    if (k < 0 || k >= static_cast<int>(groups.size())) return false;
    id = groups[static_cast<std::size_t>(k)];
    return true;
}
}  // namespace kiv
