#include "engine/voxel_grid.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>

#include "engine/scene.h"

namespace kiv {

namespace {

float widenMinimum(float m) {
    if (m > 1e-10f) return m * 0.999f;
    if (m < -1e-10f) return m * 1.001f;
    return -1e-10f;
}

float widenMaximum(float m) {
    if (m > 1e-10f) return m * 1.001f;
    if (m < -1e-10f) return m * 0.999f;
    return 1e-10f;
}

// Corner count of a surface record, kept within the four corners the record holds.
int cornerCount(const KivParentSurface& s) { return std::clamp(s.nverts, 1, 4); }

// Cell coordinate of a box bound: truncated toward zero and clamped to the grid. Written so
// that out-of-range and non-finite values never reach an integer conversion.
int clampedCell(float f, int count) {
    if (f >= static_cast<float>(count)) return count - 1;
    if (f >= 1.0f) return static_cast<int>(f);
    return 0;
}

// Voxel count of one axis: the scene extent over the mean surface extent, truncated, at least
// 1 and at most the cap.
int voxelCount(float extent, float mean) {
    const float ratio = extent / mean;
    if (!(ratio >= 1.0f)) return 1;
    if (ratio > static_cast<float>(kMaxVoxelsPerAxis)) return kMaxVoxelsPerAxis;
    return static_cast<int>(ratio);
}

// Larger steps than this change nothing (a block never spans more than a whole surface), and
// keeping the step small keeps the block loops free of integer overflow.
constexpr int kMaxBlockStep = 1 << 24;

}  // namespace

KivBoundary pointSetBox(const KivPoint* p, int n) {
    KivBoundary b{p[0].x, p[0].x, p[0].y, p[0].y, p[0].z, p[0].z};
    for (int i = 1; i < n; ++i) {
        b.xmin = std::min(b.xmin, p[i].x);
        b.xmax = std::max(b.xmax, p[i].x);
        b.ymin = std::min(b.ymin, p[i].y);
        b.ymax = std::max(b.ymax, p[i].y);
        b.zmin = std::min(b.zmin, p[i].z);
        b.zmax = std::max(b.zmax, p[i].z);
    }
    return {widenMinimum(b.xmin), widenMaximum(b.xmax), widenMinimum(b.ymin),
            widenMaximum(b.ymax), widenMinimum(b.zmin), widenMaximum(b.zmax)};
}

void VoxelGrid::resetGrid() {
    boundary = KivBoundary{0, 0, 0, 0, 0, 0};
    for (KivParentSurface& f : faces) f.init();
    for (int a = 0; a < 3; ++a) {
        count[a] = 0;
        size[a] = 1.0f;
        inverseSize[a] = 1.0f;
    }
    smallestSize = 1.0f;
    resetCells();
}

KivLong VoxelGrid::resetCells() {
    std::vector<std::uint32_t>().swap(offsets_);
    std::vector<std::int32_t>().swap(items_);
    cellCount_ = 0;
    surfaceCount_ = 0;
    ++stamp_;
    return 1;
}

int VoxelGrid::build(const KivParentSurface* surfaces, int surfaceCount, const KivVertex* vertices,
                     int vertexCount) {
    resetCells();
    if (surfaces == nullptr || surfaceCount <= 0) {
        resetGrid();
        return 0;
    }
    if (vertices == nullptr) vertexCount = 0;
    sizeGrid(surfaces, surfaceCount);
    buildFaces();
    try {
        fill(surfaces, surfaceCount, vertices, vertexCount);
    } catch (const std::bad_alloc&) {
        // A table this large cannot be held: leave the grid without cells rather than half
        // filled.
        resetCells();
        return 0;
    }
    return cellCount_;
}

void VoxelGrid::sizeGrid(const KivParentSurface* surfaces, int n) {
    float sum[3] = {0.0f, 0.0f, 0.0f};
    for (int s = 0; s < n; ++s) {
        const KivBoundary box = pointSetBox(surfaces[s].position, cornerCount(surfaces[s]));
        if (s == 0) {
            boundary = box;
        } else {
            boundary.xmin = std::min(boundary.xmin, box.xmin);
            boundary.xmax = std::max(boundary.xmax, box.xmax);
            boundary.ymin = std::min(boundary.ymin, box.ymin);
            boundary.ymax = std::max(boundary.ymax, box.ymax);
            boundary.zmin = std::min(boundary.zmin, box.zmin);
            boundary.zmax = std::max(boundary.zmax, box.zmax);
        }
        sum[0] += box.xmax - box.xmin;
        sum[1] += box.ymax - box.ymin;
        sum[2] += box.zmax - box.zmin;
    }

    // A small margin keeps every sample point strictly inside the grid.
    float* lo[3] = {&boundary.xmin, &boundary.ymin, &boundary.zmin};
    float* hi[3] = {&boundary.xmax, &boundary.ymax, &boundary.zmax};
    for (int a = 0; a < 3; ++a) {
        *lo[a] = *lo[a] - 0.001f * (*hi[a] - *lo[a]);
        *hi[a] = *hi[a] + 0.001f * (*hi[a] - *lo[a]);
    }

    const float inverseN = 1.0f / static_cast<float>(n);
    for (int a = 0; a < 3; ++a) {
        const float extent = *hi[a] - *lo[a];
        count[a] = voxelCount(extent, sum[a] * inverseN);
        size[a] = extent / static_cast<float>(count[a]);
        inverseSize[a] = 1.0f / size[a];
    }
    smallestSize = std::min(std::min(size[0], size[1]), size[2]);
}

void VoxelGrid::buildFaces() {
    const float x0 = boundary.xmin, x1 = boundary.xmax;
    const float y0 = boundary.ymin, y1 = boundary.ymax;
    const float z0 = boundary.zmin, z1 = boundary.zmax;
    // Wound so that every face's plane normal points into the box.
    const KivPoint corners[6][4] = {
        {{x0, y0, z0}, {x0, y1, z0}, {x0, y1, z1}, {x0, y0, z1}},
        {{x1, y1, z0}, {x1, y0, z0}, {x1, y0, z1}, {x1, y1, z1}},
        {{x1, y0, z0}, {x0, y0, z0}, {x0, y0, z1}, {x1, y0, z1}},
        {{x0, y1, z0}, {x1, y1, z0}, {x1, y1, z1}, {x0, y1, z1}},
        {{x0, y0, z0}, {x1, y0, z0}, {x1, y1, z0}, {x0, y1, z0}},
        {{x1, y0, z1}, {x0, y0, z1}, {x0, y1, z1}, {x1, y1, z1}},
    };
    const KivUvw uvw[4] = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    for (int k = 0; k < 6; ++k) {
        KivParentSurface& f = faces[k];
        const KivPoint* c = corners[k];
        f.setNverts(4);
        f.setPosition(c);
        // The plane normal from the corners, as the surface itself derives it.
        const KivVector n = normalise(cross(vectorBetween(c[0], c[1]), vectorBetween(c[0], c[3])));
        const KivVector normals[4] = {n, n, n, n};
        f.setNormal(normals);
        f.setUvw(uvw);
        f.doSet();
    }
}

void VoxelGrid::fill(const KivParentSurface* surfaces, int n, const KivVertex* vertices,
                     int vertexCount) {
    // Blocks of step x step sample intervals, so that a block is about one voxel wide.
    float largest = 0.0f;
    for (int s = 0; s < n; ++s) {
        const float i = std::max(surfaces[s].wInterval, surfaces[s].hInterval);
        if (i > largest) largest = i;
    }
    const float ratio = smallestSize / largest;
    if (!(ratio >= 1.0f))
        blockStep_ = 1;
    else if (ratio >= static_cast<float>(kMaxBlockStep))
        blockStep_ = kMaxBlockStep;
    else
        blockStep_ = static_cast<int>(ratio);
    const int step = blockStep_;

    const std::int64_t cells = static_cast<std::int64_t>(count[0]) * count[1] * count[2];
    const float bmin[3] = {boundary.xmin, boundary.ymin, boundary.zmin};

    // Calls visit(s, cell) for every cell touched by a used block of a surface, z outermost,
    // then y, then x, block by block.
    auto forEachTouchedCell = [&](auto&& visit) {
        for (int s = 0; s < n; ++s) {
            const KivParentSurface& surf = surfaces[s];
            if ((surf.flags & (kSurfaceNoVoxel | kSurfaceNoVoxel2)) != 0) continue;
            const int W = surf.width, H = surf.height, base = surf.vertArrayIndex;
            if (W < 2 || H < 2 || base < 0) continue;
            if (static_cast<std::int64_t>(base) + static_cast<std::int64_t>(W) * H > vertexCount)
                continue;
            const KivVertex* grid = vertices + base;
            for (int r0 = 0; r0 < H - 1; r0 += step) {
                const int h = std::min(step, H - 1 - r0);
                for (int c0 = 0; c0 < W - 1; c0 += step) {
                    const int w = std::min(step, W - 1 - c0);
                    const KivVertex* q[4] = {&grid[r0 * W + c0], &grid[r0 * W + c0 + w],
                                             &grid[(r0 + h) * W + c0 + w],
                                             &grid[(r0 + h) * W + c0]};
                    if (q[0]->inside() != 1.0f && q[1]->inside() != 1.0f &&
                        q[2]->inside() != 1.0f && q[3]->inside() != 1.0f)
                        continue;
                    const KivPoint pts[4] = {q[0]->shootPoint, q[1]->shootPoint, q[2]->shootPoint,
                                             q[3]->shootPoint};
                    const KivBoundary box = pointSetBox(pts, 4);
                    const float bl[3] = {box.xmin, box.ymin, box.zmin};
                    const float bh[3] = {box.xmax, box.ymax, box.zmax};
                    int lo[3], hi[3];
                    for (int a = 0; a < 3; ++a) {
                        lo[a] = clampedCell((bl[a] - bmin[a]) * inverseSize[a], count[a]);
                        hi[a] = clampedCell((bh[a] - bmin[a]) * inverseSize[a], count[a]);
                    }
                    for (int iz = lo[2]; iz <= hi[2]; ++iz)
                        for (int iy = lo[1]; iy <= hi[1]; ++iy)
                            for (int ix = lo[0]; ix <= hi[0]; ++ix) visit(s, cellIndex(ix, iy, iz));
                }
            }
        }
    };

    // First pass: the length of every list. Surfaces come in ascending order, so comparing
    // with the last surface counted in a cell keeps each surface once per cell.
    offsets_.assign(static_cast<std::size_t>(cells) + 1, 0u);
    std::vector<std::uint32_t> work(static_cast<std::size_t>(cells), 0u);
    std::uint64_t total = 0;
    forEachTouchedCell([&](int s, int cell) {
        const std::uint32_t tag = static_cast<std::uint32_t>(s) + 1u;
        if (work[cell] != tag) {
            work[cell] = tag;
            ++offsets_[cell + 1];
            ++total;
        }
    });
    if (total > std::numeric_limits<std::uint32_t>::max()) throw std::bad_alloc();
    for (std::int64_t c = 0; c < cells; ++c) offsets_[c + 1] += offsets_[c];

    // Second pass: append each surface at the tail of its cells unless the tail already
    // holds it.
    items_.assign(static_cast<std::size_t>(total), 0);
    for (std::int64_t c = 0; c < cells; ++c) work[c] = offsets_[c];
    forEachTouchedCell([&](int s, int cell) {
        std::uint32_t& tail = work[cell];
        if (tail > offsets_[cell] && items_[tail - 1] == s) return;
        items_[tail++] = s;
    });
    cellCount_ = static_cast<std::int32_t>(cells);
    surfaceCount_ = n;
    ++stamp_;
}

bool VoxelGrid::outputVoxels(const char* path) const {
    if (path == nullptr) return false;
    std::FILE* f = std::fopen(path, "w");
    if (f == nullptr) return false;
    std::fprintf(f, "%d %d %d\n", count[0], count[1], count[2]);
    std::fprintf(f, "%f %f %f\n", size[0], size[1], size[2]);
    std::fprintf(f, "%f %f %f\n", inverseSize[0], inverseSize[1], inverseSize[2]);
    std::fprintf(f, "%f\n", smallestSize);
    std::fclose(f);
    return true;
}

bool VoxelGrid::outputCells(const char* path) const {
    if (path == nullptr) return false;
    std::FILE* f = std::fopen(path, "w");
    if (f == nullptr) return false;
    for (int c = 0; c < cellCount_; ++c) {
        if (cellBegin(c) == cellEnd(c))
            std::fputs("NULL\n", f);
        else
            std::fprintf(f, "%d\n", *cellBegin(c));
    }
    std::fclose(f);
    return true;
}

int buildVoxelGrid(KivScene& scene) {
    auto& surfaces = scene.surfaces.records;
    const auto& vertices = scene.vertices.direct;
    const int cells = scene.voxels.build(surfaces.getPointer(), surfaces.instanceCount(),
                                         vertices.empty() ? nullptr : vertices.data(),
                                         static_cast<int>(vertices.size()));
    // The visibility test's packed copy of the surfaces is taken together with the cells.
    prepareVisibility(scene);
    return cells;
}

}  // namespace kiv
