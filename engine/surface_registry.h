#pragma once
// The scene's surfaces: the registry of parent surfaces, the group list, the staging stack for
// the next polygon, and the instancing that turns caller polygons into registered surfaces
// (cleaning, splitting of non-planar quadrilaterals, two-sided pairs).
#include <unordered_set>
#include <vector>

#include "engine/kiv_types.h"
#include "engine/parent_surface.h"
#include "engine/registry.h"

class KivScene;

namespace kiv {

// Staging values that each stack-based instance copies.
struct SurfaceStack {
    char attributeName[64] = {};
    int mapWrapU = 0, mapWrapV = 0, mapWrapW = 0;
    int flags = 0;
    int groupId = 0;
    KivLong checkOnOnePlane = 0;
};

// What instancing needs from the rest of the scene: the solver parameters' sample spacings
// (used where a call passes 0) and the attribute named on the surface stack.
struct SurfaceEnvironment {
    float interval = 150.0f;
    int intervalMultiple = 1;
    float intervalIndirect = 600.0f;
    int intervalMultipleIndirect = 1;
    int attrIndex = -1;
    KivColor attrDiffuse{1.0f, 1.0f, 1.0f};
};

// Reads the environment of the next instance from a scene (solver parameters and the attribute
// named on its surface stack).
SurfaceEnvironment surfaceEnvironment(const KivScene& scene);

// Sample spacings of one new surface.
struct SurfaceSpacing {
    float interval;
    int multiple;
    float intervalIndirect;
    int multipleIndirect;
};

// A polygon as instancing uses it: up to four vertices with optional normals and texture
// coordinates.
struct Polygon {
    int nverts = 0;
    KivPoint p[4];
    KivVector n[4];
    KivUvw t[4];
    bool hasNormals = false;
    bool hasUvw = false;
};

// Cleans a caller polygon: drops repeated vertices and vertices on a straight edge, rejects
// folds and anything with fewer than three vertices left, and turns given normals to the side of
// the winding. Returns false when the polygon is rejected; `removed` tells whether any vertex
// was dropped.
bool cleanPolygon(int nverts, const KivPoint* p, const KivVector* n, const KivUvw* uv, Polygon& out,
                  bool& removed);
// False when the fourth corner of a quadrilateral leaves the plane of the first three.
bool isPlanarQuad(const KivPoint* p);
// The triangles (0, 1, 3) and (1, 2, 3) of a quadrilateral.
void splitQuad(const Polygon& quad, Polygon& first, Polygon& second);

class SurfaceRegistry {
public:
    Registry<KivParentSurface> records;
    std::vector<int> groups;  // distinct group ids in the order first given
    SurfaceStack stack;

    // Empties the registry and the group list and resets the whole stack.
    void initialize();
    // Stack defaults, except the one-plane check.
    void initializeStack();
    // Releases the registry's storage.
    void end();

    void setAttributeName(const char* name);
    void setMapWrapU(int w);
    void setMapWrapV(int w);
    void setMapWrapW(int w);
    void setFlags(int flags);
    void setGroupId(int id);
    void setCheckOnOnePlane(KivLong check) { stack.checkOnOnePlane = check; }
    int groupCount() const { return static_cast<int>(groups.size()); }
    // (W << 16) | (V << 8) | U of the stack.
    int mapWrapCode() const;

    // Spacings of a stack-based call: zeros replaced by the solver parameters; without an
    // indirect spacing the indirect grid is four times coarser with multiple 1.
    static SurfaceSpacing resolveSpacing(const SurfaceEnvironment& env, float interval,
                                         int multiple);
    static SurfaceSpacing resolveSpacing(const SurfaceEnvironment& env, float interval,
                                         int multiple, float intervalIndirect,
                                         int multipleIndirect);

    // Stack-based instancing. Returns the index of the (last) surface appended, or -1 when the
    // polygon is rejected; a rejected polygon leaves the registry unchanged.
    int instanciate(const SurfaceEnvironment& env, int nverts, const KivPoint* p,
                    const KivVector* n, const KivUvw* uv, const SurfaceSpacing& spacing);
    // Two-sided pair: a front surface and a reversed back surface that name each other.
    int instanciateDouble(const SurfaceEnvironment& env, int nverts, const KivPoint* p,
                          const KivVector* n, const KivUvw* uv, const SurfaceSpacing& spacing);
    // Direct instancing without the stack and without cleaning.
    int instanciateDirect(int nverts, const KivPoint* p, const KivVector* n, const KivUvw* uv,
                          const SurfaceSpacing& spacing, int flags, KivColor diffuse);
    // Appends a caller-built record; the ended count follows.
    void append(const KivParentSurface& s);

    int instanceCount() const { return records.instanceCount(); }
    // Surfaces that take part in the counts (without 0x04).
    int instanceCount2() const;
    // Surface i, or null when there is none.
    KivParentSurface* at(int i) { return records.contains(i) ? &records[i] : nullptr; }
    const KivParentSurface* at(int i) const { return records.contains(i) ? &records[i] : nullptr; }

private:
    int appendRecord(const KivParentSurface& s);
    KivParentSurface buildRecord(const Polygon& poly, const SurfaceSpacing& spacing, int attrIndex,
                                 int flags, int wrapCode) const;
    int instanciateCleaned(const SurfaceEnvironment& env, const Polygon& poly,
                           const SurfaceSpacing& spacing);
    int instanciatePair(const SurfaceEnvironment& env, const Polygon& poly,
                        const SurfaceSpacing& spacing);

    std::unordered_set<int> groupSet_;  // membership test for the group list
};

}  // namespace kiv
