#pragma once
// The engine's input polygon: a planar triangle or quadrilateral and everything derived from
// it (plane, outer square, sample grids, lightmap coordinates, bounds, area).
#include <cstdint>
#include <cstdio>

#include "engine/kiv_export.h"
#include "engine/kiv_types.h"

// Flag bits of a surface.
inline constexpr int kSurfaceNoVoxel = 0x01;
inline constexpr int kSurfaceNotCounted = 0x04;
inline constexpr int kSurfaceNoShoot = 0x08;
inline constexpr int kSurfaceInvisible = 0x10;
inline constexpr int kSurfaceSurvey = 0x40;
inline constexpr int kSurfaceNoVoxel2 = 0x80;
// Bits that instancing adds.
inline constexpr int kSurfaceTwoSided = 0x20;
inline constexpr int kSurfaceBackSide = 0x01000000;
inline constexpr int kSurfaceHasUvw = 0x40000000;
inline constexpr int kSurfaceHasNormals = static_cast<int>(0x80000000u);

// Largest sample grid one surface may carry (direct or indirect): 4,194,304 points, e.g. a
// 2048 x 2048 grid. Real scenes stay far below it; a grid above it comes from a tiny interval on
// a huge polygon (or from a degenerate or non-finite polygon) and is refused where memory would
// be allocated for it (vertex creation, lightmap creation). Grid sides are stored saturated at
// kKivGridSideCap so that sizes and counts never overflow.
inline constexpr int kKivMaxSurfaceGridPoints = 1 << 22;
inline constexpr int kKivGridSideCap = kKivMaxSurfaceGridPoints + 1;

namespace kiv {
class SurfaceRegistry;
// True when a grid of w x h points is a real grid within the per-surface limit.
inline bool gridFits(int w, int h) {
    return w >= 0 && h >= 0 &&
           static_cast<long long>(w) * static_cast<long long>(h) <= kKivMaxSurfaceGridPoints;
}
}  // namespace kiv

class KIV_API KivParentSurface {
public:
    KivParentSurface();
    KivParentSurface(const KivParentSurface&) = default;
    KivParentSurface& operator=(const KivParentSurface&) = default;
    ~KivParentSurface() = default;

    void init();

    void setNverts(int n);
    int getNverts() const { return nverts; }
    void setPosition(const KivPoint* p);
    KivPoint* getPosition() { return position; }
    void setNormal(const KivVector* n);
    KivVector* getNormal() { return normal; }
    void setUvw(const KivUvw* t);
    KivUvw* getUvw() { return uvw; }

    void setInterval(float s);
    float getInterval() const { return interval; }
    void setIntervalIndirect(float s);
    float getIntervalIndirect() const { return intervalIndirect; }
    void setIntervalMultiple(int m) { intervalMultiple = m; }
    int getIntervalMultiple() const { return intervalMultiple; }
    void setIntervalMultipleIndirect(int m) { intervalMultipleIndirect = m; }
    int getIntervalMultipleIndirect() const { return intervalMultipleIndirect; }

    void setAttrIndex(int i) { attrIndex = i; }
    int getAttrIndex() const { return attrIndex; }
    void setMapWrap(int w) { mapWrap = w; }
    int getMapWrap() const { return mapWrap; }
    void setFlags(int f) { flags |= f; }
    int getFlags() const { return flags; }
    void setDiffuse(KivColor c) {
        diffuse.r = c.r;
        diffuse.g = c.g;
        diffuse.b = c.b;
    }
    KivColor getDiffuse() const { return diffuse; }
    void setGroupId(int id) { groupId = id; }
    int getGroupId() const { return groupId; }
    int getPairIndex() const { return pairIndex; }
    void setPairIndex(int i) { pairIndex = i; }
    void setRayNumber(int n) { rayNumber = n; }
    int getRayNumber() const { return rayNumber; }

    int getWidth() const { return width; }
    int getHeight() const { return height; }
    float getWInterval() const { return wInterval; }
    float getHInterval() const { return hInterval; }
    int getWidthIndirect() const { return widthIndirect; }
    int getHeightIndirect() const { return heightIndirect; }
    float getWIntervalIndirect() const { return wIntervalIndirect; }
    float getHIntervalIndirect() const { return hIntervalIndirect; }
    float getArea() const { return area; }
    KivPoint* getOuterSquarePos() { return outerSquarePos; }
    std::uint16_t getOuterSquareOriginIndex() const { return outerSquareOriginIndex; }
    KivVector getPlaneNormal() const { return planeNormal; }
    char getMainAxis() const { return mainAxis; }
    float getPlaneHeight() const { return planeHeight; }
    KivBoundary getBoundary() const { return boundary; }

    void createLightmap(int components);
    void deleteLightmap();
    void setLightmap(unsigned char* p) { lightmap = p; }
    unsigned char* getLightmap() const { return lightmap; }
    void setLightmapUvw(const KivUvw* t);
    KivUvw* getLightmapUvw() { return lightmapUvw; }
    void setUpdateLightmapFlag(int f) { updateLightmapFlag = f; }
    int getUpdateLightmapFlag() const { return updateLightmapFlag; }
    void createLightmapIndirect(int components);
    void deleteLightmapIndirect();
    void setLightmapIndirect(unsigned char* p) { lightmapIndirect = p; }
    unsigned char* getLightmapIndirect() const { return lightmapIndirect; }
    void setLightmapUvwIndirect(const KivUvw* t);
    KivUvw* getLightmapUvwIndirect() { return lightmapUvwIndirect; }
    void setUpdateLightmapIndirectFlag(int f) { updateLightmapIndirectFlag = f; }
    int getUpdateLightmapIndirectFlag() const { return updateLightmapIndirectFlag; }

    void setVertArrayIndex(int i) { vertArrayIndex = i; }
    int getVertArrayIndex() const { return vertArrayIndex; }
    void setVertInnerCount(int n) { vertInnerCount = n; }
    int getVertInnerCount() const { return vertInnerCount; }
    void setVertTotalCount();
    int getVertTotalCount() const { return vertTotalCount; }
    void setIndirectVertArrayIndex(int i) { indirectVertArrayIndex = i; }
    int getIndirectVertArrayIndex() const { return indirectVertArrayIndex; }
    void setIndirectVertInnerCount(int n) { indirectVertInnerCount = n; }
    int getIndirectVertInnerCount() const { return indirectVertInnerCount; }
    void setIndirectVertTotalCount();
    int getIndirectVertTotalCount() const { return indirectVertTotalCount; }

    void doSet();
    KivPoint calcGravity() const;
    void output(std::FILE* f) const;

    // Fields, in record order. Public so that the solver's inner loops and the tests can read
    // them directly; the member functions above are the interface for everyone else.
    float interval = 0.15f;
    int intervalMultiple = 1;
    float intervalIndirect = 0.6f;
    int intervalMultipleIndirect = 1;
    int nverts = 0;
    KivPoint position[4];
    KivVector normal[4];
    KivUvw uvw[4];
    KivVector planeNormal;
    char mainAxis = 2;
    int attrIndex = -1;
    int mapWrap = 0;
    int flags = 0;
    KivColor diffuse;
    int width = 0, height = 0;
    unsigned char* lightmap = nullptr;
    KivUvw lightmapUvw[4];
    int updateLightmapFlag = 0;
    float wInterval = 0.0f, hInterval = 0.0f;
    int widthIndirect = 0, heightIndirect = 0;
    unsigned char* lightmapIndirect = nullptr;
    KivUvw lightmapUvwIndirect[4];
    int updateLightmapIndirectFlag = 0;
    float wIntervalIndirect = 0.0f, hIntervalIndirect = 0.0f;
    float area = 0.0f;
    KivPoint outerSquarePos[4];
    std::uint16_t outerSquareOriginIndex = 0;
    float planeHeight = 0.0f;
    int vertArrayIndex = 0, vertTotalCount = 0, vertInnerCount = 0;
    int indirectVertArrayIndex = 0, indirectVertTotalCount = 0, indirectVertInnerCount = 0;
    int rayNumber = 0;
    KivBoundary boundary{0, 1, 0, 1, 0, 1};
    int pairIndex = 0;
    int groupId = 0;

private:
    friend class kiv::SurfaceRegistry;  // instancing needs the plane normal before doSet

    void setPlaneNormal();
    void setPlaneHeight();
    void calcOuterSquarePos();
    // Chooses the origin vertex and the first-side direction u (v points along the origin's
    // other edge). Returns true when the origin's two neighbours had to be swapped.
    bool calcOuterSquareOrigin(KivVector& u, KivVector& v);
    // The outer square in the local frame of the origin: the largest local x and y.
    void calcOuterSquarePosOnXYplane(const KivPoint* local, const KivMatrix& frame);
    void calcLightMapUvw(const KivPoint* local);
    void calcLightMapUvwIndirect(const KivPoint* local);
    void resetPositionInverse();
    void calcBoundary();
    void setArea();
    float calcTriangleArea(const KivPoint& a, const KivPoint& b, const KivPoint& c) const;
    void setWidth();
    void setHeight();
    void setWInterval();
    void setHInterval();
    void setWidthIndirect();
    void setHeightIndirect();
    void setWIntervalIndirect();
    void setHIntervalIndirect();
    // Vertex count used by the geometry: the arrays always hold four vertices.
    int geometryVerts() const { return nverts == 3 ? 3 : 4; }
};
