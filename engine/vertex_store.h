#pragma once
// The scene's sample points: one contiguous array of direct vertices and one of indirect
// vertices, laid on the grids of the surfaces in registry order, and the current update number.
#include <vector>

#include "engine/kiv_types.h"
#include "engine/lightmap.h"
#include "engine/vertex.h"

namespace kiv {

class SurfaceRegistry;

// Largest number of vertices of one kind in a scene: 16,777,216 (2.7 GB of direct vertices at
// 160 bytes each, 2.9 GB of indirect ones). A real scene stays far below it (it is more than a
// 32-bit address space could ever hold); together with the per-surface limit
// (kKivMaxSurfaceGridPoints) it makes creation fail cleanly, before anything is allocated,
// instead of exhausting memory.
inline constexpr long long kKivMaxSceneVertices = 1LL << 24;

// Inside value of Q for the polygon P[0..n-1]: 1 inside, 0.5 on the boundary (within the
// tolerances of the test), 0 outside.
float insideValue(const KivPoint& Q, const KivPoint* P, int n);
// Distance from Q to the nearest edge (segment) of the polygon P[0..n-1].
float distanceToOutline(const KivPoint& Q, const KivPoint* P, int n);
// a turned towards b about their common axis by `fraction` of the angle between them (negative
// fractions turn away from b); unit normals stay unit.
KivVector rotateTowards(const KivVector& a, const KivVector& b, float fraction);

class VertexStore {
public:
    std::vector<KivVertex> direct;
    std::vector<KivIndirectVertex> indirect;
    int currentUpdateNumber = 0;

    void initializeDirect() { std::vector<KivVertex>().swap(direct); }
    void initializeIndirect() { std::vector<KivIndirectVertex>().swap(indirect); }

    // Lays the vertices of every surface's direct (indirect) grid and records each surface's
    // first index and inside count. Returns the number of vertices, or -1 when a surface's grid
    // is beyond the per-surface limit or the total beyond the per-scene limit; then no vertices
    // exist and the surfaces' vertex fields must not be used.
    int createDirect(SurfaceRegistry& surfaces, const LightmapSettings& lightmaps);
    int createIndirect(SurfaceRegistry& surfaces, const LightmapSettings& lightmaps);

    // Places the four vertices of every surface with a 2 x 2 grid on its polygon corners (both
    // kinds); the solution initialisation calls this after creating the vertices.
    void applySmallSurfaceCorrection(SurfaceRegistry& surfaces);

    // Sum of the grid sizes of the surfaces without flag 0x04.
    static int countDirect2(const SurfaceRegistry& surfaces);
    static int countIndirect2(const SurfaceRegistry& surfaces);

    void initializeUpdateNumbersDirect();
    void initializeUpdateNumbersIndirect();

    // Text dump: shootPoint and receivePoint of every vertex, in array order.
    bool outputDirect(const char* path) const;
    bool outputIndirect(const char* path) const;
};

}  // namespace kiv
