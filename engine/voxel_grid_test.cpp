#include "engine/voxel_grid.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/KivRadiosity.h"
#include "engine/visibility_test_scene.h"

using kiv::VoxelGrid;
using kiv::testing::TestScene;

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string tempPath(const char* name) { return ::testing::TempDir() + name; }

bool cellLists(const VoxelGrid& g, int cell, int surface) {
    for (const std::int32_t* it = g.cellBegin(cell); it != g.cellEnd(cell); ++it)
        if (*it == surface) return true;
    return false;
}

// Whether any cell with the given x coordinate lists the surface.
bool columnLists(const VoxelGrid& g, int ix, int surface) {
    for (int iz = 0; iz < g.count[2]; ++iz)
        for (int iy = 0; iy < g.count[1]; ++iy)
            if (cellLists(g, g.cellIndex(ix, iy, iz), surface)) return true;
    return false;
}

// Unit squares side by side along x in the plane z = 0, from x = 0 to x = n.
TestScene rowOfSquares(int n, float interval = 0.5f) {
    TestScene s;
    for (int i = 0; i < n; ++i) {
        const float x = static_cast<float>(i);
        s.add({{x, 0, 0}, {x + 1, 0, 0}, {x + 1, 1, 0}, {x, 1, 0}}, interval);
    }
    return s;
}

}  // namespace

TEST(PointSetBox, WidensAwayFromTheOriginByMagnitude) {
    const KivPoint pts[2] = {{-2.0f, 0.0f, 3.0f}, {4.0f, 0.0f, 5.0f}};
    const KivBoundary b = kiv::pointSetBox(pts, 2);
    EXPECT_FLOAT_EQ(b.xmin, -2.0f * 1.001f);
    EXPECT_FLOAT_EQ(b.xmax, 4.0f * 1.001f);
    EXPECT_FLOAT_EQ(b.ymin, -1e-10f);
    EXPECT_FLOAT_EQ(b.ymax, 1e-10f);
    EXPECT_FLOAT_EQ(b.zmin, 3.0f * 0.999f);
    EXPECT_FLOAT_EQ(b.zmax, 5.0f * 1.001f);
}

TEST(VoxelGrid, SizesFromTheMeanSurfaceExtent) {
    // Three unit squares in z = 0 spread over 8 x 6: the counts are the scene extent over the
    // mean surface extent, and the flat scene still gets one voxel along z.
    TestScene s;
    s.add({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
    s.add({{7, 0, 0}, {8, 0, 0}, {8, 1, 0}, {7, 1, 0}});
    s.add({{0, 5, 0}, {1, 5, 0}, {1, 6, 0}, {0, 6, 0}});
    VoxelGrid g;
    g.resetGrid();
    EXPECT_EQ(s.build(g), 7 * 5 * 1);
    EXPECT_EQ(g.count[0], 7);
    EXPECT_EQ(g.count[1], 5);
    EXPECT_EQ(g.count[2], 1);
    EXPECT_EQ(g.cellCount(), 35);

    // Margins: the minimum drops by a thousandth of the extent, then the maximum rises by a
    // thousandth of the new extent.
    EXPECT_NEAR(g.boundary.xmin, -0.001f * 8.008f, 1e-6f);
    EXPECT_NEAR(g.boundary.xmax, 8.008f + 0.001f * 8.016008f, 1e-5f);
    EXPECT_LT(g.boundary.zmin, -1e-10f);
    EXPECT_GT(g.boundary.zmax, 1e-10f);
    for (int a = 0; a < 3; ++a) EXPECT_FLOAT_EQ(g.inverseSize[a], 1.0f / g.size[a]);
    EXPECT_NEAR(g.size[0], (g.boundary.xmax - g.boundary.xmin) / 7.0f, 1e-6f);
    EXPECT_EQ(g.smallestSize, g.size[2]);
}

TEST(VoxelGrid, CountsAreCappedAt350) {
    // A tiny square by the origin and one far out: the mean extent is tiny next to the scene.
    TestScene s;
    s.add({{0, 0, 0}, {0.001f, 0, 0}, {0.001f, 0.001f, 0}, {0, 0.001f, 0}});
    s.add({{100, 100, 0}, {100.001f, 100, 0}, {100.001f, 100.001f, 0}, {100, 100.001f, 0}});
    VoxelGrid g;
    EXPECT_EQ(s.build(g), 350 * 350);
    EXPECT_EQ(g.count[0], 350);
    EXPECT_EQ(g.count[1], 350);
    EXPECT_EQ(g.count[2], 1);
}

TEST(VoxelGrid, BoundingFacesCloseTheBoxFacingInwards) {
    TestScene s = rowOfSquares(3);
    s.add({{0, 0, 2}, {1, 0, 2}, {1, 1, 2}, {0, 1, 2}});
    VoxelGrid g;
    s.build(g);
    const KivBoundary& b = g.boundary;
    const KivPoint centre((b.xmin + b.xmax) / 2, (b.ymin + b.ymax) / 2, (b.zmin + b.zmax) / 2);
    // The axis and side each face lies on: x0, x1, y0, y1, z0, z1.
    const float planes[6] = {b.xmin, b.xmax, b.ymin, b.ymax, b.zmin, b.zmax};
    for (int k = 0; k < 6; ++k) {
        const KivParentSurface& f = g.faces[k];
        const int axis = k / 2;
        EXPECT_EQ(f.nverts, 4);
        for (int c = 0; c < 4; ++c) {
            const float on =
                axis == 0 ? f.position[c].x : (axis == 1 ? f.position[c].y : f.position[c].z);
            EXPECT_EQ(on, planes[k]) << "face " << k << " corner " << c;
        }
        EXPECT_GT(kiv::dot(f.planeNormal, kiv::vectorBetween(f.position[0], centre)), 0.0f)
            << "face " << k;
        EXPECT_FLOAT_EQ(kiv::length(f.planeNormal), 1.0f);
    }
    // Corner order of one face in full: x = x1 runs (y1, z0), (y0, z0), (y0, z1), (y1, z1).
    const KivParentSurface& f1 = g.faces[1];
    EXPECT_EQ(f1.position[0].y, b.ymax);
    EXPECT_EQ(f1.position[0].z, b.zmin);
    EXPECT_EQ(f1.position[1].y, b.ymin);
    EXPECT_EQ(f1.position[2].z, b.zmax);
    EXPECT_EQ(f1.position[3].y, b.ymax);
}

TEST(VoxelGrid, ListsAreAscendingAndCoverEveryInsideSamplePoint) {
    TestScene s = kiv::testing::boxesInARoom(4);
    VoxelGrid g;
    s.build(g);
    ASSERT_GT(g.cellCount(), 1);
    for (int c = 0; c < g.cellCount(); ++c)
        for (const std::int32_t* it = g.cellBegin(c); it + 1 < g.cellEnd(c); ++it)
            ASSERT_LT(it[0], it[1]) << "cell " << c;
    // Every sample point lies in a cell that lists its surface.
    for (int si = 0; si < static_cast<int>(s.surfaces.size()); ++si) {
        const KivParentSurface& surf = s.surfaces[si];
        for (int v = 0; v < surf.width * surf.height; ++v) {
            const KivPoint& p = s.vertices[surf.vertArrayIndex + v].shootPoint;
            const int ix = static_cast<int>((p.x - g.boundary.xmin) * g.inverseSize[0]);
            const int iy = static_cast<int>((p.y - g.boundary.ymin) * g.inverseSize[1]);
            const int iz = static_cast<int>((p.z - g.boundary.zmin) * g.inverseSize[2]);
            ASSERT_TRUE(cellLists(g, g.cellIndex(ix, iy, iz), si)) << "surface " << si;
        }
    }
}

TEST(VoxelGrid, FlaggedSurfacesEnterNoCellButStillSizeTheGrid) {
    TestScene plain = rowOfSquares(6);
    TestScene flagged = rowOfSquares(6);
    flagged.surfaces[2].setFlags(kSurfaceNoVoxel);
    flagged.surfaces[4].setFlags(kSurfaceNoVoxel2);
    flagged.surfaces[5].setFlags(kSurfaceNotCounted | kSurfaceSurvey);  // other bits: listed
    VoxelGrid a, b;
    plain.build(a);
    flagged.build(b);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(a.count[k], b.count[k]);
    bool sawFive = false;
    for (int c = 0; c < b.cellCount(); ++c) {
        EXPECT_FALSE(cellLists(b, c, 2));
        EXPECT_FALSE(cellLists(b, c, 4));
        sawFive = sawFive || cellLists(b, c, 5);
    }
    EXPECT_TRUE(sawFive);
}

TEST(VoxelGrid, OnlyBlocksWithAnInsideCornerRegister) {
    // Eight unit squares along x at z = 0 and a long 8 x 1 surface above them with one
    // sample column per unit; the grid gets four voxels along x (about 2 wide) and a block
    // step of 1. Sample columns 5 to 8 of the long surface are marked outside, so the blocks
    // from x = 5 on register nothing although the polygon crosses the last voxel column.
    struct Case {
        const char* name;
        bool lastCornerInside;  // marks one corner of the last block inside again
        bool lastColumnListed;
    };
    const Case cases[] = {{"no inside corner", false, false}, {"one inside corner", true, true}};
    for (const Case& c : cases) {
        TestScene s = rowOfSquares(8);
        const int longSurface =
            s.add({{0, 0, 0.5f}, {8, 0, 0.5f}, {8, 1, 0.5f}, {0, 1, 0.5f}}, 1.0f);
        const KivParentSurface& L = s.surfaces[longSurface];
        ASSERT_EQ(L.width, 9);
        for (int row = 0; row < L.height; ++row)
            for (int col = 5; col < L.width; ++col)
                s.vertices[L.vertArrayIndex + row * L.width + col].setInside(0.0f);
        if (c.lastCornerInside) s.vertices[L.vertArrayIndex + 8].setInside(1.0f);
        VoxelGrid g;
        s.build(g);
        ASSERT_EQ(g.count[0], 4) << c.name;
        ASSERT_EQ(g.blockStep(), 1) << c.name;
        EXPECT_TRUE(columnLists(g, 2, longSurface)) << c.name;
        EXPECT_EQ(columnLists(g, 3, longSurface), c.lastColumnListed) << c.name;
    }
}

TEST(VoxelGrid, IncompleteInputLeavesNoStaleOrOutOfRangeCells) {
    VoxelGrid g;
    g.resetGrid();
    TestScene s = rowOfSquares(3);
    ASSERT_GT(s.build(g), 0);

    // No surfaces: nothing to size by; the old cells go and the grid is back to empty.
    EXPECT_EQ(g.build(nullptr, 0, nullptr, 0), 0);
    EXPECT_EQ(g.cellCount(), 0);
    EXPECT_EQ(g.count[0], 0);
    EXPECT_EQ(g.size[0], 1.0f);

    // Sample points missing from the vertex array: the surfaces are sized but enter no cell.
    const int cells =
        g.build(s.surfaces.data(), 3, s.vertices.data(), s.surfaces[2].vertArrayIndex + 1);
    ASSERT_GT(cells, 0);
    for (int c = 0; c < cells; ++c) EXPECT_FALSE(cellLists(g, c, 2));
    bool sawFirst = false;
    for (int c = 0; c < cells; ++c) sawFirst = sawFirst || cellLists(g, c, 0);
    EXPECT_TRUE(sawFirst);

    // Surfaces whose sample grids were never laid out (zero intervals) do not stall the fill.
    std::vector<KivParentSurface> bare(2);
    bare[1].nverts = 4;
    bare[1].position[2] = KivPoint(1, 1, 1);
    const int bareCells = g.build(bare.data(), 2, nullptr, 0);
    EXPECT_EQ(bareCells, g.count[0] * g.count[1] * g.count[2]);
}

TEST(VoxelApi, OutputsBeforeBuildAfterBuildAndAfterRelease) {
    KivScene_Create();
    const std::string voxels = tempPath("voxels.txt"), cells = tempPath("cells.txt");
    EXPECT_EQ(KivVoxel_Output(const_cast<char*>(voxels.c_str())), 1);
    EXPECT_EQ(readFile(voxels),
              "0 0 0\n1.000000 1.000000 1.000000\n1.000000 1.000000 1.000000\n1.000000\n");
    EXPECT_EQ(KivCell_GetCount(), 0);

    TestScene s = rowOfSquares(4);
    s.surfaces[0].setFlags(kSurfaceNoVoxel);
    s.install(kiv::scene());
    const int n = kiv::buildVoxelGrid(kiv::scene());
    ASSERT_GT(n, 1);
    EXPECT_EQ(KivCell_GetCount(), n);
    KivCell_Output(const_cast<char*>(cells.c_str()));
    // One line per cell: the lowest listed surface, or NULL; the flagged surface 0 never
    // shows.
    std::istringstream lines(readFile(cells));
    const VoxelGrid& g = kiv::scene().voxels;
    std::string line;
    int c = 0;
    for (; std::getline(lines, line); ++c) {
        ASSERT_LT(c, n);
        EXPECT_EQ(line, g.cellBegin(c) == g.cellEnd(c) ? "NULL" : std::to_string(*g.cellBegin(c)));
        EXPECT_NE(line, "0");
    }
    EXPECT_EQ(c, n);
    KivVoxel_Output(const_cast<char*>(voxels.c_str()));
    char expected[64];
    std::snprintf(expected, sizeof expected, "%d %d %d\n", g.count[0], g.count[1], g.count[2]);
    EXPECT_EQ(readFile(voxels).substr(0, std::strlen(expected)), expected);

    // Releasing keeps the sizes but drops the cells.
    EXPECT_EQ(KivCell_End(), 1);
    EXPECT_EQ(KivCell_GetCount(), 0);
    KivCell_Output(const_cast<char*>(cells.c_str()));
    EXPECT_EQ(readFile(cells), "");
    EXPECT_GT(g.count[0], 0);

    // An unwritable path writes nothing and reports it.
    char bad[] = "/nonexistent-dir/voxels.txt";
    EXPECT_EQ(KivVoxel_Output(bad), 0);
    EXPECT_EQ(KivCell_Output(bad), 0);
    EXPECT_EQ(KivCell_End(kiv::currentScenePointer()), 1);
    KivScene_End();
}
