#pragma once
// The regular voxel grid laid over the scene. Every cell lists, in ascending order, the
// surfaces whose sample-point mesh touches it; visibility queries walk the cells a ray crosses
// and test only those surfaces. The grid also holds the six inward faces of the scene box.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "engine/kiv_types.h"
#include "engine/parent_surface.h"
#include "engine/vertex.h"

class KivScene;

namespace kiv {

inline constexpr int kMaxVoxelsPerAxis = 350;

// Box of a point set: the componentwise bounds, each moved away from the origin by a tenth of
// a percent of its own magnitude (a bound near zero becomes -1e-10 or 1e-10). Surfaces lying
// in a coordinate plane therefore still get a non-zero extent.
KivBoundary pointSetBox(const KivPoint* points, int count);

class VoxelGrid {
public:
    VoxelGrid() = default;
    VoxelGrid(const VoxelGrid&) = delete;
    VoxelGrid& operator=(const VoxelGrid&) = delete;

    // Initial state: no voxels (counts 0), every size 1, the bounding faces reset, no cells.
    void resetGrid();
    // Releases the cell table; counts, sizes and bounding faces keep their values. Returns 1.
    KivLong resetCells();
    KivLong endCells() { return resetCells(); }

    // Sizes the grid from the surfaces' mean extents, builds the bounding faces and fills the
    // cells from the surfaces' sample points (surface s owns vertices from its
    // getVertArrayIndex() on, width x height of them). Returns the cell count. Without any
    // surface there is nothing to size the grid by: the grid goes back to its initial state and
    // the result is 0. A surface whose sample points are not all in the vertex array enters no
    // cell.
    int build(const KivParentSurface* surfaces, int surfaceCount, const KivVertex* vertices,
              int vertexCount);

    // Number of entries of the cell table, 0 when there is none.
    int cellCount() const { return cellCount_; }
    bool hasCells() const { return cellCount_ > 0; }
    // The surface list of the cell at a table position, ascending, each surface at most once.
    const std::int32_t* cellBegin(int cell) const { return items_.data() + offsets_[cell]; }
    const std::int32_t* cellEnd(int cell) const { return items_.data() + offsets_[cell + 1]; }
    int cellIndex(int ix, int iy, int iz) const { return ix + count[0] * (iy + count[1] * iz); }
    // Changes whenever the cell table is built or released, so users of per-build data can
    // tell that theirs is stale.
    std::uint64_t stamp() const { return stamp_; }
    // Number of surfaces the cells were filled from (0 without cells): every listed index is
    // below it.
    int surfaceCount() const { return surfaceCount_; }
    // The block step of the last fill: how many sample intervals one block spans.
    int blockStep() const { return blockStep_; }

    // Text dumps; false when the file cannot be created (nothing is written then).
    bool outputVoxels(const char* path) const;
    bool outputCells(const char* path) const;

    // Record fields, public like the surface records.
    KivBoundary boundary{0, 0, 0, 0, 0, 0};
    KivParentSurface faces[6];
    std::int32_t count[3] = {0, 0, 0};
    float size[3] = {1.0f, 1.0f, 1.0f};
    float inverseSize[3] = {1.0f, 1.0f, 1.0f};
    float smallestSize = 1.0f;

private:
    void sizeGrid(const KivParentSurface* surfaces, int surfaceCount);
    void buildFaces();
    void fill(const KivParentSurface* surfaces, int surfaceCount, const KivVertex* vertices,
              int vertexCount);

    // The cell lists in compressed form: the list of cell c is items_[offsets_[c] ..
    // offsets_[c + 1]). One offset per cell plus one, and one entry per (cell, surface) pair.
    std::vector<std::uint32_t> offsets_;
    std::vector<std::int32_t> items_;
    std::int32_t cellCount_ = 0;
    int surfaceCount_ = 0;
    std::uint64_t stamp_ = 0;
    int blockStep_ = 1;
};

// Builds the grid of a scene from its surfaces and direct sample points, and packs the
// surfaces for the visibility queries; returns the cell count (0 when the scene has no
// surface).
int buildVoxelGrid(KivScene& scene);

}  // namespace kiv
