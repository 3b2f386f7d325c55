#include "engine/parent_surface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

KivParentSurface makeSurface(int nverts, const KivPoint* p, float interval, int multiple = 1) {
    KivParentSurface s;
    s.setNverts(nverts);
    s.setPosition(p);
    s.setIntervalMultiple(multiple);
    s.setInterval(interval);
    s.setIntervalIndirect(4.0f * interval);
    s.doSet();
    return s;
}

const KivPoint kUnitSquare[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};

// Every vertex's lightmap coordinate must name the texel-space position of that same vertex:
// mapping (u, v) back through the grid lands on the vertex.
void expectLightmapCoordsOnVertices(KivParentSurface& s) {
    const KivPoint* sq = s.getOuterSquarePos();
    const KivVector U = kiv::normalise(kiv::vectorBetween(sq[0], sq[1]));
    const KivVector V = kiv::normalise(kiv::vectorBetween(sq[0], sq[3]));
    for (int k = 0; k < s.getNverts(); ++k) {
        const KivUvw t = s.getLightmapUvw()[k];
        const float x = (t.u - 0.5f / s.getWidth()) * s.getWidth() * s.getWInterval();
        const float y = (t.v - 0.5f / s.getHeight()) * s.getHeight() * s.getHInterval();
        const KivPoint back = sq[0] + U * x + V * y;
        EXPECT_NEAR(back.x, s.position[k].x, 1e-5f) << "vertex " << k;
        EXPECT_NEAR(back.y, s.position[k].y, 1e-5f) << "vertex " << k;
        EXPECT_NEAR(back.z, s.position[k].z, 1e-5f) << "vertex " << k;
    }
}

}  // namespace

TEST(ParentSurface, UnitSquareGridSizesFollowIntervalAndMultiple) {
    struct Case {
        float interval;
        int multiple;
        int points;
        float spacing;
    };
    const Case cases[] = {
        {0.25f, 1, 5, 0.25f},        // four cells exactly
        {0.3f, 1, 5, 0.25f},         // ceil(1 / 0.3 + 1) = 5
        {0.25f, 3, 7, 1.0f / 6.0f},  // four cells raised to six
        {2.0f, 1, 2, 1.0f},          // a side shorter than the interval keeps its two ends
        {-1.0f, 1, 2, 1.0f},         // a negative interval gives the two ends too
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "interval " << c.interval << " multiple " << c.multiple);
        KivParentSurface s = makeSurface(4, kUnitSquare, c.interval, c.multiple);
        EXPECT_EQ(s.getWidth(), c.points);
        EXPECT_EQ(s.getHeight(), c.points);
        EXPECT_FLOAT_EQ(s.getWInterval(), c.spacing);
        EXPECT_FLOAT_EQ(s.getHInterval(), c.spacing);
        EXPECT_EQ(s.getVertTotalCount(), c.points * c.points);
        expectLightmapCoordsOnVertices(s);
    }
}

TEST(ParentSurface, UnitSquareGeometry) {
    KivParentSurface s = makeSurface(4, kUnitSquare, 0.25f);
    EXPECT_EQ(s.getPlaneNormal().x, 0.0f);
    EXPECT_EQ(s.getPlaneNormal().y, 0.0f);
    EXPECT_EQ(s.getPlaneNormal().z, 1.0f);
    EXPECT_EQ(s.getMainAxis(), 2);
    EXPECT_EQ(s.getOuterSquareOriginIndex(), 0);
    EXPECT_FLOAT_EQ(s.getArea(), 1.0f);
    EXPECT_FLOAT_EQ(s.getPlaneHeight(), 0.0f);
    // Indirect grid at interval 1: the two ends only.
    EXPECT_EQ(s.getWidthIndirect(), 2);
    EXPECT_EQ(s.getIndirectVertTotalCount(), 4);
    const float expectU[4] = {0.1f, 0.9f, 0.9f, 0.1f}, expectV[4] = {0.1f, 0.1f, 0.9f, 0.9f};
    for (int k = 0; k < 4; ++k) {
        EXPECT_FLOAT_EQ(s.getLightmapUvw()[k].u, expectU[k]);
        EXPECT_FLOAT_EQ(s.getLightmapUvw()[k].v, expectV[k]);
        EXPECT_FLOAT_EQ(s.getLightmapUvwIndirect()[k].u, expectU[k] == 0.1f ? 0.25f : 0.75f);
    }
    // The plane z = 0 gives the tiny boundary margins; positive bounds grow by 0.1 %.
    const KivBoundary b = s.getBoundary();
    EXPECT_FLOAT_EQ(b.zmin, -1e-10f);
    EXPECT_FLOAT_EQ(b.zmax, 1e-10f);
    EXPECT_FLOAT_EQ(b.xmin, -1e-10f);
    EXPECT_FLOAT_EQ(b.xmax, 1.001f);
}

TEST(ParentSurface, BoundaryMovesEveryBoundOutward) {
    const KivPoint p[4] = {{-2, 3, -5}, {2, 3, -5}, {2, 4, -5}, {-2, 4, -5}};
    KivParentSurface s = makeSurface(4, p, 1.0f);
    const KivBoundary b = s.getBoundary();
    EXPECT_FLOAT_EQ(b.xmin, -2.002f);
    EXPECT_FLOAT_EQ(b.xmax, 2.002f);
    EXPECT_FLOAT_EQ(b.ymin, 2.997f);
    EXPECT_FLOAT_EQ(b.ymax, 4.004f);
    EXPECT_FLOAT_EQ(b.zmin, -5.005f);
    EXPECT_FLOAT_EQ(b.zmax, -4.995f);
    EXPECT_FLOAT_EQ(s.getPlaneHeight(), -5.0f);
}

TEST(ParentSurface, MainAxisIsTheLargestNormalComponent) {
    struct Case {
        KivPoint p[3];
        char axis;
    };
    const Case cases[] = {
        {{{0, 0, 0}, {0, 1, 0}, {0, 0, 1}}, 0},  // x = 0 plane
        {{{0, 0, 0}, {0, 0, 1}, {1, 0, 0}}, 1},  // y = 0 plane
        {{{0, 0, 0}, {1, 0, 1}, {0, 1, 0}}, 0},  // |x| = |z|: z must be strictly larger
        {{{0, 0, 0}, {1, 0, 0}, {0, 1, 1}}, 1},  // |y| = |z|
        {{{0, 0, 0}, {1, 0, 0.2f}, {0, 1, 0.3f}}, 2},
    };
    for (const Case& c : cases) {
        KivParentSurface s = makeSurface(3, c.p, 0.5f);
        EXPECT_EQ(s.getMainAxis(), c.axis);
        EXPECT_NEAR(kiv::length(s.getPlaneNormal()), 1.0f, 1e-6f);
    }
}

TEST(ParentSurface, TriangleRepeatsItsThirdVertex) {
    const KivPoint p[3] = {{0, 0, 0}, {2, 0, 0}, {0, 1, 0}};
    const KivVector n[3] = {{0, 0, 2}, {0, 0, 3}, {0, 3, 4}};
    const KivUvw t[3] = {{0, 0, 1}, {1, 0, 1}, {0.5f, 0.7f, 1}};
    KivParentSurface s;
    s.setNverts(3);
    s.setPosition(p);
    s.setNormal(n);
    s.setUvw(t);
    EXPECT_EQ(s.position[3].x, 0.0f);
    EXPECT_EQ(s.position[3].y, 1.0f);
    EXPECT_FLOAT_EQ(s.normal[3].y, 0.6f);  // stored normalised
    EXPECT_FLOAT_EQ(s.normal[3].z, 0.8f);
    EXPECT_FLOAT_EQ(s.normal[0].z, 1.0f);
    EXPECT_EQ(s.uvw[3].u, 0.5f);
    EXPECT_EQ(s.uvw[3].v, 0.7f);
    s.doSet();
    EXPECT_FLOAT_EQ(s.getArea(), 1.0f);
    EXPECT_EQ(s.getLightmapUvw()[3].u, s.getLightmapUvw()[2].u);
    EXPECT_EQ(s.getLightmapUvw()[3].v, s.getLightmapUvw()[2].v);
    const KivPoint g = s.calcGravity();
    EXPECT_FLOAT_EQ(g.x, 2.0f / 3.0f);
    EXPECT_FLOAT_EQ(g.y, 1.0f / 3.0f);
    EXPECT_EQ(g.w, 1.0f);
}

TEST(ParentSurface, RightTriangleIsAnchoredOnItsHypotenuse) {
    const KivPoint p[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    KivParentSurface s = makeSurface(3, p, 0.25f);
    EXPECT_EQ(s.getOuterSquareOriginIndex(), 1);
    const KivPoint* sq = s.getOuterSquarePos();
    EXPECT_FLOAT_EQ(sq[0].x, 1.0f);
    EXPECT_FLOAT_EQ(sq[0].y, 0.0f);
    EXPECT_NEAR(sq[1].x, 0.0f, 1e-6f);  // first side runs along the hypotenuse
    EXPECT_NEAR(sq[1].y, 1.0f, 1e-6f);
    EXPECT_EQ(s.getWidth(), 7);
    EXPECT_EQ(s.getHeight(), 4);
    EXPECT_NEAR(s.getWInterval(), std::sqrt(2.0f) / 6.0f, 1e-6f);
    EXPECT_NEAR(s.getHInterval(), std::sqrt(2.0f) / 6.0f, 1e-6f);
    EXPECT_FLOAT_EQ(s.getArea(), 0.5f);
    expectLightmapCoordsOnVertices(s);
}

TEST(ParentSurface, LongestEdgeEndingAtAnAcuteCornerAnchorsThereAndKeepsInputOrder) {
    // The longest edge 0 -> 1 starts at an obtuse corner and ends at an acute one.
    const KivPoint p[4] = {{0, 0, 0}, {3, 0, 0}, {2, 1, 0}, {-1, 1, 0}};
    KivParentSurface s = makeSurface(4, p, 0.5f);
    EXPECT_EQ(s.getOuterSquareOriginIndex(), 1);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(s.position[k].x, p[k].x) << k;
        EXPECT_EQ(s.position[k].y, p[k].y) << k;
    }
    // The first side leaves the origin (3, 0, 0) along the longest edge, back towards x = 0.
    const KivPoint* sq = s.getOuterSquarePos();
    EXPECT_FLOAT_EQ(sq[0].x, 3.0f);
    EXPECT_FLOAT_EQ(sq[0].y, 0.0f);
    EXPECT_FLOAT_EQ(sq[1].x, -1.0f);
    EXPECT_FLOAT_EQ(sq[1].y, 0.0f);
    EXPECT_FLOAT_EQ(sq[2].y, 1.0f);
    EXPECT_EQ(s.getWidth(), 9);
    EXPECT_EQ(s.getHeight(), 3);
    // The origin vertex sits on the first texel centre; every vertex keeps its own coordinates.
    EXPECT_FLOAT_EQ(s.getLightmapUvw()[1].u, 1.0f / 18.0f);
    EXPECT_FLOAT_EQ(s.getLightmapUvw()[1].v, 1.0f / 6.0f);
    expectLightmapCoordsOnVertices(s);
    EXPECT_FLOAT_EQ(s.getArea(), 3.0f);
}

TEST(ParentSurface, SetIntervalResizesGridsWithoutMovingLightmapCoordinates) {
    KivParentSurface s = makeSurface(4, kUnitSquare, 0.25f);
    const float u1 = s.getLightmapUvw()[1].u;
    s.setIntervalMultiple(3);
    s.setInterval(0.25f);  // same value: nothing happens, not even the new multiple
    EXPECT_EQ(s.getWidth(), 5);
    s.setInterval(0.5f);
    EXPECT_EQ(s.getWidth(), 4);  // two cells raised to three
    EXPECT_FLOAT_EQ(s.getWInterval(), 1.0f / 3.0f);
    EXPECT_EQ(s.getVertTotalCount(), 16);
    EXPECT_EQ(s.getLightmapUvw()[1].u, u1);
    s.setIntervalIndirect(0.1f);
    EXPECT_EQ(s.getWidthIndirect(), 11);
    EXPECT_EQ(s.getIndirectVertTotalCount(), 121);
}

TEST(ParentSurface, FlagsAreOnlyAdded) {
    KivParentSurface s;
    s.setFlags(0x01);
    s.setFlags(0x04);
    EXPECT_EQ(s.getFlags(), 0x05);
    s.setFlags(0);
    EXPECT_EQ(s.getFlags(), 0x05);
}

TEST(ParentSurface, InitRestoresDefaults) {
    KivParentSurface s = makeSurface(4, kUnitSquare, 0.25f);
    s.setFlags(3);
    s.init();
    EXPECT_EQ(s.getNverts(), 0);
    EXPECT_EQ(s.getWidth(), 0);
    EXPECT_EQ(s.getFlags(), 0);
    EXPECT_FLOAT_EQ(s.getInterval(), 0.15f);
    EXPECT_FLOAT_EQ(s.getIntervalIndirect(), 0.6f);
    EXPECT_EQ(s.getAttrIndex(), -1);
    EXPECT_EQ(s.getLightmap(), nullptr);
    EXPECT_EQ(s.getBoundary().xmax, 1.0f);
}

TEST(ParentSurface, OutputWritesVerticesNormalsAndDiffuse) {
    KivParentSurface s;
    s.setNverts(3);
    const KivPoint p[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const KivVector n[3] = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    s.setPosition(p);
    s.setNormal(n);
    s.setDiffuse(KivColor(0.5f, 0.25f, 1.0f, 9.0f));
    EXPECT_EQ(s.getDiffuse().a, 1.0f);
    const std::string path = testing::TempDir() + "parent_surface_output.txt";
    std::FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    s.output(f);
    std::fclose(f);
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(ss.str(),
              "3\n0.000000 0.000000 0.000000\n0.000000 0.000000 1.000000\n"
              "1.000000 0.000000 0.000000\n0.000000 0.000000 1.000000\n"
              "0.000000 1.000000 0.000000\n0.000000 0.000000 1.000000\n"
              "0.500000 0.250000 1.000000\n");
}

TEST(ParentSurface, LightmapBuffersFollowTheGrid) {
    KivParentSurface s = makeSurface(4, kUnitSquare, 0.25f);
    s.createLightmap(4);
    ASSERT_NE(s.getLightmap(), nullptr);
    s.getLightmap()[5 * 5 * 4 - 1] = 7;  // the last byte of 100 is inside the buffer
    s.deleteLightmap();
    EXPECT_EQ(s.getLightmap(), nullptr);
    s.createLightmap(0);  // no texel size: no buffer
    EXPECT_EQ(s.getLightmap(), nullptr);
    s.createLightmapIndirect(3);
    ASSERT_NE(s.getLightmapIndirect(), nullptr);
    s.deleteLightmapIndirect();
}

TEST(ParentSurface, AbsurdGridsSaturateInsteadOfOverflowing) {
    // A tiny interval on a huge polygon, and a polygon with a non-finite coordinate.
    const KivPoint huge[4] = {{0, 0, 0}, {1e6f, 0, 0}, {1e6f, 1e6f, 0}, {0, 1e6f, 0}};
    KivParentSurface s = makeSurface(4, huge, 1e-4f);
    EXPECT_EQ(s.getWidth(), kKivGridSideCap);
    EXPECT_EQ(s.getVertTotalCount(), 0x7fffffff);
    EXPECT_FALSE(kiv::gridFits(s.getWidth(), s.getHeight()));
    s.createLightmap(4);
    EXPECT_EQ(s.getLightmap(), nullptr);

    const KivPoint bad[3] = {{0, 0, 0}, {NAN, 0, 0}, {0, 1, 0}};
    KivParentSurface t = makeSurface(3, bad, 0.25f);
    EXPECT_FALSE(kiv::gridFits(t.getWidth(), t.getHeight()));

    KivParentSurface fresh;  // never given vertices
    fresh.doSet();
    EXPECT_EQ(fresh.getWidth(), 2);
    EXPECT_EQ(fresh.getArea(), 0.0f);
}
