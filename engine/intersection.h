#pragma once
// Visibility queries: one ray from a receiving point towards a shooter point or against a
// light direction, walked through the voxel grid cell by cell. The answer is free (0.0),
// through transparent surfaces only (0.5, with the product of their transparencies) or
// blocked (1.0).
#include <cstdint>
#include <vector>

#include "engine/kiv_types.h"
#include "engine/parent_surface.h"

class KivScene;

namespace kiv {

class VoxelGrid;

inline constexpr float kRayFree = 0.0f;
inline constexpr float kRayTransmitted = 0.5f;
inline constexpr float kRayBlocked = 1.0f;
// The ray counter runs 1..65534; reaching this value clears every surface's ray number.
inline constexpr std::int32_t kRayCounterWrap = 65535;
inline constexpr char kShootTypeLight = 1;
inline constexpr char kShooterTypeHdri = 8;

// What a query reads of the shooting state: set by the shooting code before each query.
struct QueryState {
    KivPoint receiverPoint;
    std::int32_t receiverSurface = 0;  // never an occluder
    KivPoint shooterPosition;          // end of a point-to-point ray
    std::int32_t shooterIndex = 0;     // a surface index, or a light index while a light shoots
    char shootType = 0;                // 1 light, 2 surface, 3 survey surfaces, 4 indirect points
    char shooterType = 0;              // light type code, 9 for a surface
    KivVector shooterDirection;        // unit direction of light travel
};

// A surface's material as visibility sees it.
struct SurfaceMaterial {
    bool present = false;  // false: no material, the surface is opaque
    KivColor transparency{0.0f, 0.0f, 0.0f, 1.0f};
};

// Occluder filter of the filtered queries: with a non-zero mask, mode 1 lets only surfaces
// whose flags share a bit with the mask occlude, mode 0 only those sharing none, any other
// mode all. A zero mask is the ordinary query.
struct OccluderFilter {
    unsigned char mask = 0;
    std::int32_t mode = 1;
};

// The box test: the point lies within the surface's boundary on the two axes other than its
// main axis, bounds included.
bool insideBoundaryBox(const KivParentSurface& surface, const KivPoint& point);
// The polygon test: corners and point projected on the coordinate plane that drops the plane
// normal's dominant axis; inside when every edge sees the point on the same side as the first
// edge does (strictly positive, or all zero-or-negative). Points on an edge therefore count as
// inside for one winding and outside for the other.
bool insidePolygon(const KivParentSurface& surface, const KivPoint& point);

// Everything the surface test needs, packed per surface and built with the grid, so that a
// query touches a few contiguous arrays and never the full surface records.
class VisibilitySurfaces {
public:
    // materials may be null (every surface opaque) or hold one entry per surface.
    void build(const KivParentSurface* surfaces, int count, const SurfaceMaterial* materials);
    void clear();
    int size() const { return static_cast<int>(rayNumbers_.size()); }

    std::int32_t rayNumber(int s) const { return rayNumbers_[s]; }
    void setRayNumber(int s, std::int32_t n) { rayNumbers_[s] = n; }
    void clearRayNumbers();

    struct Ray {
        float p[3];  // receiver point
        float d[3];  // unit direction
        float tMax;  // last accepted hit distance (infinite for directional rays)
    };
    // Plane, box and polygon tests of surface s against a ray.
    bool hits(int s, const Ray& ray) const;
    std::int32_t flags(int s) const { return hot_[s].flags; }
    bool opaque(int s) const { return hot_[s].opaque != 0; }
    const KivColor& transparency(int s) const { return transparency_[s]; }

private:
    friend class IntersectionState;
    struct alignas(16) Hot {
        float n[3];
        float h;
        float lo0, hi0, lo1, hi1;  // boundary on the two box-test axes
        std::int32_t flags;
        std::uint8_t axis0, axis1;  // box-test axes
        std::uint8_t u, v;          // projection axes of the polygon test
        std::uint8_t corners;
        std::uint8_t opaque;
    };
    struct Polygon {
        float u[4], v[4];    // projected corners
        float du[4], dv[4];  // projected edge vectors, corner i to corner i + 1
    };
    std::vector<Hot> hot_;
    std::vector<Polygon> polygons_;
    std::vector<KivColor> transparency_;
    std::vector<std::int32_t> rayNumbers_;
};

// The intersection state of a scene and the queries themselves.
class IntersectionState {
public:
    KivColor transparencyColorResult;  // of the last query
    std::int32_t shadowSurfaceIndex = -1;
    std::int32_t rayCounter = 0;

    // Captures the surfaces for the grid as it is now; queries on a grid rebuilt or released
    // since then do not walk it.
    void prepare(const VoxelGrid& grid, const KivParentSurface* surfaces, int count,
                 const SurfaceMaterial* materials);
    bool isPreparedFor(const VoxelGrid& grid) const;

    // Receiver point to shooter position.
    float judgePointToPoint(const VoxelGrid& grid, const QueryState& q, OccluderFilter f = {});
    // From the receiver point against the shooter direction.
    float judgeDirectional(const VoxelGrid& grid, const QueryState& q, OccluderFilter f = {});

    void resetShadowSurfaceIndex() { shadowSurfaceIndex = -1; }
    // Starts ray numbering afresh: counter 0 and every surface's ray number 0, so that numbers
    // left from earlier rays cannot make a surface look already tested.
    void resetRayCounter();

    VisibilitySurfaces& surfaces() { return surfaces_; }
    const VisibilitySurfaces& surfaces() const { return surfaces_; }

private:
    template <bool kPointToPoint>
    float judge(const VoxelGrid& grid, const QueryState& q, OccluderFilter f);
    int nextRayNumber();

    VisibilitySurfaces surfaces_;
    std::uint64_t preparedStamp_ = 0;
    bool walkable_ = false;
};

// The query state of a scene: the part of its shooting state that queries read.
QueryState& queryState(KivScene& scene);
// Material of a surface for the visibility test.
SurfaceMaterial surfaceMaterial(const KivScene& scene, int surface);
// Packs the scene's surfaces for its current grid.
void prepareVisibility(KivScene& scene);

// The queries on a scene. The explicit-argument forms run on a copy of the query state with
// the arguments put in (point-to-point: shoot type 2, the given shooter surface excluded, -1
// for none; directional: the direction normalised), so the scene's state is left as it was.
float judgeIntersection(KivScene& scene);
float judgeDirectionalIntersection(KivScene& scene);
float judgeIntersection(KivScene& scene, KivPoint point, int surface, KivPoint shooterPoint,
                        int shooterSurface, OccluderFilter filter = {});
float judgeDirectionalIntersection(KivScene& scene, KivPoint point, int surface,
                                   KivVector direction, OccluderFilter filter = {});

}  // namespace kiv
