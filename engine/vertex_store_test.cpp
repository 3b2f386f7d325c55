#include "engine/vertex_store.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/KivRadiosity.h"
#include "engine/scene.h"

namespace {

const KivPoint kSquare[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
const KivPoint kRightTriangle[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};

struct VertexFixture : testing::Test {
    void SetUp() override { KivScene_Create(); }
    void TearDown() override { KivScene_End(); }
    KivScene& scene() { return kiv::scene(); }
};

KivVertex& vertexAt(int surface, int i, int j) {
    const int w = KivSurface_GetWidth(surface);
    return *KivVertex_GetReference(KivSurface_GetVertArrayIndex(surface) + j * w + i);
}

}  // namespace

using Vertex = VertexFixture;

TEST_F(Vertex, UnitSquareGridAreasInsideAndNudges) {
    ASSERT_EQ(KivSurface_Instanciate(4, kSquare, nullptr, nullptr, 0.25f, 1), 0);
    KivLightmap_InstanciateAll();
    ASSERT_EQ(KivVertex_Create(), 25);
    EXPECT_EQ(KivVertex_GetCount(), 25);
    EXPECT_EQ(KivSurface_GetVertArrayIndex(0), 0);
    EXPECT_EQ(KivSurface_GetVertInnerCount(0), 25);
    float total = 0.0f;
    for (int k = 0; k < 25; ++k) {
        const KivVertex& v = *KivVertex_GetReference(k);
        EXPECT_EQ(v.inside(), 1.0f) << k;
        EXPECT_EQ(v.normal.z, 1.0f);
        EXPECT_EQ(v.reflectance.r, 1.0f);  // white: no attribute
        EXPECT_EQ(v.received.r, 0.0f);
        total += v.area;
    }
    EXPECT_FLOAT_EQ(total, 1.0f);
    EXPECT_FLOAT_EQ(vertexAt(0, 0, 0).area, 1.0f / 64.0f);
    EXPECT_FLOAT_EQ(vertexAt(0, 2, 0).area, 1.0f / 32.0f);
    EXPECT_FLOAT_EQ(vertexAt(0, 2, 2).area, 1.0f / 16.0f);
    EXPECT_EQ(vertexAt(0, 0, 0).weightLeft, 0.0f);
    EXPECT_EQ(vertexAt(0, 0, 0).weightDown, 0.0f);
    EXPECT_EQ(vertexAt(0, 4, 4).weightRight, 0.0f);
    EXPECT_EQ(vertexAt(0, 4, 4).weightUp, 0.0f);

    // Border point (0, 0.5): nudged by the minimum towards the centroid.
    const KivVertex& border = vertexAt(0, 0, 2);
    EXPECT_EQ(border.shootPoint.x, 0.0f);
    EXPECT_EQ(border.shootPoint.y, 0.5f);
    EXPECT_EQ(border.receivePoint.x, 0.0050000004f);
    EXPECT_EQ(border.receivePoint.y, 0.5f);
    EXPECT_EQ(border.receivePoint.z, 0.0f);
    // A corner moves 1 % of its distance to the centroid (above the minimum).
    const KivVertex& corner = vertexAt(0, 4, 4);
    EXPECT_FLOAT_EQ(corner.receivePoint.x, 1.0f - 0.005f);
    // Inner points receive where they are.
    const KivVertex& inner = vertexAt(0, 1, 3);
    EXPECT_EQ(inner.receivePoint.x, inner.shootPoint.x);
    EXPECT_EQ(inner.receivePoint.y, inner.shootPoint.y);

    // Texels of the surface's own 5 x 5 lightmap, 4 bytes each.
    EXPECT_EQ(vertexAt(0, 3, 2).lightmapTexel, KivSurface_GetLightmap(0) + (3 + 2 * 5) * 4);
}

TEST_F(Vertex, RightTriangleGridIsAnchoredOnTheHypotenuse) {
    ASSERT_EQ(KivSurface_Instanciate(3, kRightTriangle, nullptr, nullptr, 0.25f, 1), 0);
    ASSERT_EQ(KivVertex_Create(), 28);
    ASSERT_EQ(KivSurface_GetWidth(0), 7);
    ASSERT_EQ(KivSurface_GetHeight(0), 4);
    const float s = std::sqrt(2.0f) / 6.0f;
    EXPECT_FLOAT_EQ(vertexAt(0, 0, 0).shootPoint.x, 1.0f);  // the grid starts at (1, 0, 0)
    // In grid units the triangle is j <= min(i, 6 - i): its edges hold the points with
    // j = 0, j = i or j = 6 - i.
    int inside = 0;
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 7; ++i) {
            const KivVertex& v = vertexAt(0, i, j);
            const bool in = j <= std::min(i, 6 - i);
            const bool onEdge = j == 0 || j == i || j == 6 - i;
            EXPECT_EQ(v.inside(), in ? 1.0f : 0.0f) << i << "," << j;
            // Grid-border and outline points receive from slightly inside.
            const bool gridBorder = i == 0 || i == 6 || j == 0 || j == 3;
            const bool moved =
                v.receivePoint.x != v.shootPoint.x || v.receivePoint.y != v.shootPoint.y;
            EXPECT_EQ(moved, gridBorder || (in && onEdge)) << i << "," << j;
            inside += in ? 1 : 0;
        }
    }
    EXPECT_EQ(inside, 16);
    EXPECT_EQ(KivSurface_GetVertInnerCount(0), 16);
    EXPECT_FLOAT_EQ(vertexAt(0, 0, 0).area, 0.25f * s * s);  // more than half inside: cell shares
}

TEST_F(Vertex, MostlyOutsideGridsShareThePolygonArea) {
    const KivPoint p[3] = {{0, 0, 0}, {1, 0, 0}, {0.5f, 0.8f, 0}};
    ASSERT_EQ(KivSurface_Instanciate(3, p, nullptr, nullptr, 0.4f, 1), 0);
    ASSERT_EQ(KivSurface_GetWidth(0), 4);
    ASSERT_EQ(KivSurface_GetHeight(0), 3);
    ASSERT_EQ(KivVertex_Create(), 12);
    ASSERT_EQ(KivSurface_GetVertInnerCount(0), 6);  // exactly half: the rule applies
    for (int k = 0; k < 12; ++k) EXPECT_FLOAT_EQ(KivVertex_GetReference(k)->area, 0.4f / 6.0f);
}

TEST(InsideValue, BoundaryCases) {
    struct Case {
        KivPoint q;
        float value;
    };
    const Case cases[] = {
        {{0.5f, 0.5f, 0}, 1.0f},    {{0.0005f, 0, 0}, 0.5f},  // near the first vertex
        {{0.5f, 0, 0}, 0.5f},       {{1, 0.5f, 0}, 0.5f},    {{0.5f, 1, 0}, 0.5f},
        {{1.5f, 0, 0}, 0.0f},       {{-0.5f, 0, 0}, 0.0f},  // on the first edge's line
        {{1.00005f, 0, 0}, 0.5f},   {{2, 0.5f, 0}, 0.0f},    {{0.5f, -0.5f, 0}, 0.0f},
        {{0.5f, 0.5f, 0.5f}, 1.0f},  // off the plane the test only looks at the sides
    };
    for (const Case& c : cases)
        EXPECT_EQ(kiv::insideValue(c.q, kSquare, 4), c.value) << c.q.x << "," << c.q.y;
    // Orientation does not matter.
    const KivPoint cw[4] = {kSquare[3], kSquare[2], kSquare[1], kSquare[0]};
    EXPECT_EQ(kiv::insideValue({0.5f, 0.5f, 0}, cw, 4), 1.0f);
    EXPECT_EQ(kiv::insideValue({1.5f, 0.5f, 0}, cw, 4), 0.0f);
    EXPECT_FLOAT_EQ(kiv::distanceToOutline({0.5f, 0.25f, 0}, kSquare, 4), 0.25f);
}

TEST(RotateTowards, GreatCircleSteps) {
    const KivVector a(0, 0, 1), b(0.6f, 0, 0.8f);
    const float theta = std::acos(0.8f);
    for (float f : {0.0f, 0.25f, 0.5f, 1.0f, -0.5f}) {
        const KivVector r = kiv::rotateTowards(a, b, f);
        EXPECT_NEAR(r.x, std::sin(theta * f), 1e-6f) << f;
        EXPECT_NEAR(r.z, std::cos(theta * f), 1e-6f) << f;
        EXPECT_NEAR(kiv::length(r), 1.0f, 1e-6f);
    }
    // Equal and opposite normals have no axis: no rotation.
    EXPECT_EQ(kiv::rotateTowards(a, a, 0.5f).z, 1.0f);
    EXPECT_EQ(kiv::rotateTowards(a, KivVector(0, 0, -1), 0.5f).z, 1.0f);
}

TEST_F(Vertex, VertexNormalsAreInterpolatedAlongGreatCircles) {
    const float theta = std::acos(0.8f);
    // Normals turn about y from left to right.
    const KivVector n[4] = {{0, 0, 1}, {0.6f, 0, 0.8f}, {0.6f, 0, 0.8f}, {0, 0, 1}};
    ASSERT_EQ(KivSurface_Instanciate(4, kSquare, n, nullptr, 0.25f, 1), 0);
    // Normals turn about x from bottom to top.
    const KivVector m[4] = {{0, 0, 1}, {0, 0, 1}, {0, 0.6f, 0.8f}, {0, 0.6f, 0.8f}};
    ASSERT_EQ(KivSurface_Instanciate(4, kSquare, m, nullptr, 0.25f, 1), 1);
    ASSERT_EQ(KivVertex_Create(), 50);
    for (int j = 0; j < 5; ++j) {
        for (int i = 0; i < 5; ++i) {
            const KivVector a = vertexAt(0, i, j).normal;
            EXPECT_NEAR(a.x, std::sin(theta * 0.25f * i), 2e-6f) << i << "," << j;
            EXPECT_NEAR(a.z, std::cos(theta * 0.25f * i), 2e-6f) << i << "," << j;
            const KivVector b = vertexAt(1, i, j).normal;
            EXPECT_NEAR(b.y, std::sin(theta * 0.25f * j), 2e-6f) << i << "," << j;
            EXPECT_NEAR(b.z, std::cos(theta * 0.25f * j), 2e-6f) << i << "," << j;
        }
    }
}

TEST_F(Vertex, InterpolationFollowsTheSwappedOutlineOfAnInvertedSurface) {
    // Anchored at the end of its longest edge (vertex 1); row 0 runs from vertex 1 to vertex 0.
    const KivPoint p[4] = {{0, 0, 0}, {3, 0, 0}, {2, 1, 0}, {-1, 1, 0}};
    const KivVector n[4] = {{0, 0, 1}, {0.6f, 0, 0.8f}, {0, 0, 1}, {0, 0, 1}};
    ASSERT_EQ(KivSurface_Instanciate(4, p, n, nullptr, 0.5f, 1), 0);
    ASSERT_EQ(KivSurface_GetWidth(0), 9);
    ASSERT_EQ(KivVertex_Create(), 27);
    const float theta = std::acos(0.8f);
    // Points (3 - 0.5 i, 0) go from vertex 1's normal to vertex 0's over i = 0..6.
    for (int i = 0; i <= 6; ++i) {
        const KivVector v = vertexAt(0, i, 0).normal;
        EXPECT_NEAR(v.x, std::sin(theta * (1.0f - i / 6.0f)), 2e-6f) << i;
    }
}

TEST_F(Vertex, SmallSurfacesGetTheirVerticesOnTheCorners) {
    ASSERT_EQ(KivSurface_Instanciate(4, kSquare, nullptr, nullptr, 2.0f, 1), 0);
    ASSERT_EQ(KivSurface_Instanciate(3, kRightTriangle, nullptr, nullptr, 5.0f, 1), 1);
    ASSERT_EQ(KivSurface_GetReference(1)->getOuterSquareOriginIndex(), 1);
    ASSERT_EQ(KivVertex_Create(), 8);
    ASSERT_EQ(KivIndirectVertex_Create(), 8);
    scene().vertices.applySmallSurfaceCorrection(scene().surfaces);

    // Square, origin 0: grid points (0,0), (1,0), (0,1), (1,1) take corners 0, 1, 3, 2.
    const int squareCorners[4] = {0, 1, 3, 2};
    const float uv[4][2] = {{0.25f, 0.25f}, {0.75f, 0.25f}, {0.25f, 0.75f}, {0.75f, 0.75f}};
    for (int k = 0; k < 4; ++k) {
        const KivVertex& v = *KivVertex_GetReference(k);
        const KivPoint& c = kSquare[squareCorners[k]];
        EXPECT_EQ(v.shootPoint.x, c.x);
        EXPECT_EQ(v.shootPoint.y, c.y);
        EXPECT_EQ(v.inside(), 1.0f);
        EXPECT_FLOAT_EQ(v.area, 0.25f);
        // Nudge: 0.05 x min spacing (1) = 0.05 towards the centre, along the diagonal.
        EXPECT_NEAR(std::fabs(v.receivePoint.x - c.x), 0.05f / std::sqrt(2.0f), 1e-6f);
        EXPECT_EQ(KivSurface_GetLightmapUvw(0)[squareCorners[k]].u, uv[k][0]);
        EXPECT_EQ(KivSurface_GetLightmapUvw(0)[squareCorners[k]].v, uv[k][1]);
        EXPECT_EQ(KivSurface_GetLightmapUvwIndirect(0)[squareCorners[k]].v, uv[k][1]);
        EXPECT_EQ(KivIndirectVertex_GetReference(k)->shootPoint.x, c.x);
    }
    EXPECT_EQ(KivSurface_GetVertInnerCount(0), 4);

    // Triangle, origin 1: corners 1, 2, 0, 0.
    const int triCorners[4] = {1, 2, 0, 0};
    for (int k = 0; k < 4; ++k) {
        const KivVertex& v = *KivVertex_GetReference(4 + k);
        EXPECT_EQ(v.shootPoint.x, kRightTriangle[triCorners[k]].x);
        EXPECT_EQ(v.shootPoint.y, kRightTriangle[triCorners[k]].y);
        EXPECT_FLOAT_EQ(v.area, 0.5f / 3.0f);
    }
    const KivUvw* t = KivSurface_GetLightmapUvw(1);
    EXPECT_EQ(t[1].u, 0.25f);
    EXPECT_EQ(t[2].u, 0.75f);
    EXPECT_EQ(t[0].v, 0.75f);
    EXPECT_EQ(t[3].u, 0.25f);
    EXPECT_EQ(t[3].v, 0.75f);
    EXPECT_EQ(KivSurface_GetVertInnerCount(1), 3);
}

TEST_F(Vertex, IndirectGridUsesIndirectSpacingAndLightmap) {
    ASSERT_EQ(KivSurface_Instanciate(4, kSquare, nullptr, nullptr, 0.25f, 1, 0.5f, 1), 0);
    KivSurface_SetFlags(0, 0x04);
    ASSERT_EQ(KivSurface_Instanciate(3, kRightTriangle, nullptr, nullptr, 0.25f, 1, 0.5f, 1), 1);
    std::vector<unsigned char> share(16 * 16 * 3);
    KivIndirectLightmap_SetNumComponents(3);
    ASSERT_EQ(KivIndirectLightmap_Instanciate(0, share.data(), 16, 16, 4, 5), 1);
    ASSERT_EQ(KivIndirectVertex_Create(), 9 + KivSurface_GetIndirectVertTotalCount(1));
    EXPECT_EQ(KivIndirectVertex_GetCount2(), KivSurface_GetIndirectVertTotalCount(1));
    EXPECT_EQ(KivVertex_GetCount2(), KivSurface_GetVertTotalCount(1));
    EXPECT_EQ(KivSurface_GetIndirectVertArrayIndex(1), 9);
    const KivIndirectVertex& v = *KivIndirectVertex_GetReference(4);  // (1, 1)
    EXPECT_EQ(v.shootPoint.x, 0.5f);
    EXPECT_FLOAT_EQ(v.area, 0.25f);
    EXPECT_EQ(v.indirect.r, 0.0f);
    EXPECT_EQ(v.lightmapTexel, share.data() + ((4 + 5 * 16) + (1 + 1 * 16)) * 3);
    EXPECT_EQ(KivIndirectVertex_GetReference(9)->lightmapTexel, nullptr);  // no lightmap
    EXPECT_EQ(KivVertex_GetCount(), 0);  // the direct kind is created separately
    KivSurface_SetLightmapIndirect(0, nullptr);
}

TEST_F(Vertex, UpdateNumbersOutputAndLifecycle) {
    ASSERT_EQ(KivSurface_Instanciate(3, kRightTriangle, nullptr, nullptr, 2.0f, 1), 0);
    ASSERT_EQ(KivVertex_Create(), 4);
    KivVertex_SetCurrentUpdateNumber(5);
    for (int k = 0; k < 4; ++k) KivVertex_GetPointer(k)->updateNumber = 3;
    KivVertex_InitializeUpdateNumber();
    for (int k = 0; k < 4; ++k) EXPECT_EQ(KivVertex_GetReference(k)->updateNumber, 0);
    EXPECT_EQ(KivVertex_GetCurrentUpdateNumber(), 5);
    EXPECT_THROW(KivVertex_GetReference(4), std::out_of_range);
    EXPECT_THROW(KivVertex_GetReference(-1), std::out_of_range);

    const std::string path = testing::TempDir() + "vertex_output.txt";
    KivVertex_Output(path.c_str());
    std::ifstream in(path);
    std::string first, second;
    std::getline(in, first);
    std::getline(in, second);
    EXPECT_EQ(first, "1.000000 0.000000 0.000000");
    EXPECT_EQ(second, "0.993333 0.003333 0.000000");  // 1 % towards the centroid
    int lines = 2;
    for (std::string l; std::getline(in, l);) ++lines;
    EXPECT_EQ(lines, 8);

    ASSERT_EQ(KivIndirectVertex_Create(), 4);
    EXPECT_EQ(KivVertex_Create(), 4);  // recreated, not appended
    EXPECT_EQ(KivVertex_End(), 1);
    EXPECT_EQ(KivVertex_GetCount(), 0);
    EXPECT_EQ(KivVertex_GetPointer(), nullptr);
    EXPECT_EQ(KivIndirectVertex_GetCount(), 4);
    KivIndirectVertex_Initialize();
    EXPECT_EQ(KivIndirectVertex_GetCount(), 0);
}

TEST_F(Vertex, GridsBeyondTheLimitsFailBeforeAllocating) {
    // One surface far beyond the per-surface limit.
    const KivPoint huge[4] = {{0, 0, 0}, {1e5f, 0, 0}, {1e5f, 1e5f, 0}, {0, 1e5f, 0}};
    ASSERT_EQ(KivSurface_Instanciate(4, huge, nullptr, nullptr, 0.01f, 1), 0);
    ASSERT_EQ(KivVertex_Create(), -1);
    EXPECT_EQ(KivVertex_GetCount(), 0);
    EXPECT_EQ(KivIndirectVertex_Create(), -1);  // four times coarser is still far too fine
    KivSurface_SetIntervalIndirect(0, 1e4f);
    EXPECT_EQ(KivIndirectVertex_Create(), 121);
}

TEST_F(Vertex, SceneTotalBeyondTheLimitFails) {
    // Five surfaces at exactly the per-surface limit (2048 x 2048) exceed the scene's total.
    const KivPoint big[4] = {{0, 0, 0}, {2047, 0, 0}, {2047, 2047, 0}, {0, 2047, 0}};
    for (int k = 0; k < 5; ++k) {
        ASSERT_EQ(KivSurface_Instanciate(4, big, nullptr, nullptr, 100.0f, 1), k);
        KivSurface_SetInterval(k, 1.0f);
        ASSERT_EQ(KivSurface_GetVertTotalCount(k), 2048 * 2048) << k;
    }
    EXPECT_EQ(KivVertex_Create(), -1);
    EXPECT_EQ(KivVertex_GetCount(), 0);
}
