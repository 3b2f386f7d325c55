#pragma once
// Scenes for the grid and visibility tests and benchmarks. Surfaces are filled in field by
// field (plane, main axis, plane height, widened boundary, area and a sample grid spanned by
// the first and last edges), so these tests need nothing but the records themselves.
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <random>
#include <vector>

#include "engine/intersection.h"
#include "engine/parent_surface.h"
#include "engine/scene.h"
#include "engine/vertex.h"
#include "engine/voxel_grid.h"

namespace kiv::testing {

inline float widenLow(float m) {
    return m > 1e-10f ? m * 0.999f : (m < -1e-10f ? m * 1.001f : -1e-10f);
}
inline float widenHigh(float m) {
    return m > 1e-10f ? m * 1.001f : (m < -1e-10f ? m * 0.999f : 1e-10f);
}

struct TestScene {
    std::vector<KivParentSurface> surfaces;
    std::vector<KivVertex> vertices;
    std::vector<SurfaceMaterial> materials;

    // A planar triangle or parallelogram, corners in order. Its sample grid runs from the
    // first corner along the first edge (columns) and along the last edge (rows) at about the
    // given spacing; grid points outside a triangle are marked outside.
    int add(std::initializer_list<KivPoint> corners, float interval = 0.5f, int flags = 0,
            SurfaceMaterial material = {}) {
        KivParentSurface s;
        const KivPoint* c = corners.begin();
        s.nverts = static_cast<int>(corners.size());
        for (int i = 0; i < 4; ++i) s.position[i] = c[std::min(i, s.nverts - 1)];
        const KivPoint* p = s.position;
        const int last = s.nverts - 1;
        s.planeNormal = normalise(cross(vectorBetween(p[0], p[1]), vectorBetween(p[0], p[last])));
        for (KivVector& n : s.normal) n = s.planeNormal;
        const float a = std::fabs(s.planeNormal.x), b = std::fabs(s.planeNormal.y),
                    cz = std::fabs(s.planeNormal.z);
        s.mainAxis = cz > std::max(a, b) ? 2 : (a >= b ? 0 : 1);
        s.planeHeight = dot(p[0], s.planeNormal);
        KivBoundary r{p[0].x, p[0].x, p[0].y, p[0].y, p[0].z, p[0].z};
        for (int i = 1; i < s.nverts; ++i) {
            r.xmin = std::min(r.xmin, p[i].x);
            r.xmax = std::max(r.xmax, p[i].x);
            r.ymin = std::min(r.ymin, p[i].y);
            r.ymax = std::max(r.ymax, p[i].y);
            r.zmin = std::min(r.zmin, p[i].z);
            r.zmax = std::max(r.zmax, p[i].z);
        }
        s.boundary = {widenLow(r.xmin),  widenHigh(r.xmax), widenLow(r.ymin),
                      widenHigh(r.ymax), widenLow(r.zmin),  widenHigh(r.zmax)};
        s.area = triangleArea(p[0], p[1], p[2]);
        if (s.nverts == 4) s.area += triangleArea(p[0], p[2], p[3]);
        s.flags = flags;
        s.attrIndex = material.present ? 0 : -1;

        const KivVector U = vectorBetween(p[0], p[1]), V = vectorBetween(p[0], p[last]);
        const float lu = length(U), lv = length(V);
        s.width = std::max(2, static_cast<int>(std::ceil(lu / interval + 1.0f)));
        s.height = std::max(2, static_cast<int>(std::ceil(lv / interval + 1.0f)));
        s.wInterval = lu / static_cast<float>(s.width - 1);
        s.hInterval = lv / static_cast<float>(s.height - 1);
        s.vertArrayIndex = static_cast<int>(vertices.size());
        s.vertTotalCount = s.width * s.height;
        for (int row = 0; row < s.height; ++row) {
            for (int col = 0; col < s.width; ++col) {
                const float fu = static_cast<float>(col) / static_cast<float>(s.width - 1);
                const float fv = static_cast<float>(row) / static_cast<float>(s.height - 1);
                KivVertex v;
                v.shootPoint = p[0] + U * fu + V * fv;
                v.receivePoint = v.shootPoint;
                v.normal = s.planeNormal;
                v.setInside(s.nverts == 3 && fu + fv > 1.0f + 1e-6f ? 0.0f : 1.0f);
                vertices.push_back(v);
            }
        }
        surfaces.push_back(s);
        materials.push_back(material);
        return static_cast<int>(surfaces.size()) - 1;
    }

    // The six faces of an axis-aligned box, normals pointing out (or in, for a room).
    void addBox(KivPoint lo, KivPoint hi, float interval, bool inward = false,
                SurfaceMaterial material = {}) {
        const float x0 = lo.x, y0 = lo.y, z0 = lo.z, x1 = hi.x, y1 = hi.y, z1 = hi.z;
        const KivPoint f[6][4] = {
            {{x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}},
            {{x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}},
            {{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}},
            {{x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}},
            {{x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}},
            {{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}},
        };
        for (const auto& q : f) {
            if (inward)
                add({q[0], q[3], q[2], q[1]}, interval, 0, material);
            else
                add({q[0], q[1], q[2], q[3]}, interval, 0, material);
        }
    }

    int build(VoxelGrid& grid) const {
        return grid.build(surfaces.data(), static_cast<int>(surfaces.size()), vertices.data(),
                          static_cast<int>(vertices.size()));
    }
    void prepare(const VoxelGrid& grid, IntersectionState& state) const {
        state.prepare(grid, surfaces.data(), static_cast<int>(surfaces.size()), materials.data());
    }
    // Puts the surfaces and sample points into a scene's registries.
    void install(KivScene& scene) const {
        scene.surfaces.records.clear();
        for (const KivParentSurface& s : surfaces) scene.surfaces.records.instanciate(s);
        scene.vertices.direct = vertices;
    }
};

inline SurfaceMaterial transparent(float r, float g, float b) {
    return SurfaceMaterial{true, KivColor(r, g, b)};
}

// A room of size x size x height with a count x count grid of boxes standing on its floor,
// of varying heights; every fifth box is of a transparent material. About 6 count^2 + 6
// polygons.
inline TestScene boxesInARoom(int count, float size = 20.0f, float height = 10.0f,
                              float interval = 0.5f) {
    TestScene scene;
    scene.addBox({0, 0, 0}, {size, size, height}, interval * 4.0f, true);
    std::mt19937 rng(12345);
    std::uniform_real_distribution<float> h(0.5f, height * 0.6f);
    const float pitch = size / static_cast<float>(count);
    const float side = pitch * 0.5f;
    for (int i = 0; i < count; ++i) {
        for (int j = 0; j < count; ++j) {
            const float x = (static_cast<float>(i) + 0.25f) * pitch;
            const float y = (static_cast<float>(j) + 0.25f) * pitch;
            const SurfaceMaterial m =
                (i * count + j) % 5 == 0 ? transparent(0.5f, 0.25f, 0.5f) : SurfaceMaterial{};
            scene.addBox({x, y, 0.0f}, {x + side, y + side, h(rng)}, interval, false, m);
        }
    }
    return scene;
}

}  // namespace kiv::testing
