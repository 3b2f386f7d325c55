#include "engine/surface_registry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/KivRadiosity.h"
#include "engine/scene.h"

using kiv::SurfaceEnvironment;
using kiv::SurfaceRegistry;

namespace {

const KivPoint kSquare[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
const kiv::SurfaceSpacing kSpacing{0.25f, 1, 1.0f, 1};

int count(const SurfaceRegistry& r) { return r.instanceCount(); }

// A scene made current for the flat functions, ended at the end of the test.
struct SceneFixture : testing::Test {
    void SetUp() override { KivScene_Create(); }
    void TearDown() override { KivScene_End(); }
};

}  // namespace

TEST(SurfaceInstancing, CleaningOutcomesForSingleAndPair) {
    struct Case {
        const char* what;
        int nverts;
        KivPoint p[4];
        int single;     // result of stack-based single instancing on an empty registry
        int pairVerts;  // nverts of the two-sided pair's surfaces, 0 when rejected
    };
    const Case cases[] = {
        {"repeated fourth vertex", 4, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, 0}}, -1, 3},
        {"repeated first vertex", 4, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0}}, -1, 3},
        {"vertex on a straight edge", 4, {{0, 0, 0}, {0.5f, 0, 0}, {1, 0, 0}, {0, 1, 0}}, -1, 3},
        {"fold", 4, {{0, 0, 0}, {1, 0, 0}, {0.5f, 0, 0}, {0, 1, 0}}, -1, 0},
        {"collinear triangle", 3, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}, -1, 0},
        {"one point", 4, {{1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}}, -1, 0},
        {"five vertices", 5, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, -1, 0},
        {"two vertices", 2, {{0, 0, 0}, {1, 0, 0}}, -1, 0},
        {"coordinates too large", 3, {{0, 0, 0}, {1e30f, 0, 0}, {0, 1e30f, 0}}, -1, 0},
        {"not a number", 3, {{0, 0, 0}, {NAN, 0, 0}, {0, 1, 0}}, -1, 0},
        {"clean quadrilateral", 4, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, 0, 4},
        {"clean triangle", 3, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, 0, 3},
    };
    const SurfaceEnvironment env;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SurfaceRegistry single;
        EXPECT_EQ(single.instanciate(env, c.nverts, c.p, nullptr, nullptr, kSpacing), c.single);
        EXPECT_EQ(count(single), c.single < 0 ? 0 : 1);
        if (c.single == 0) {
            EXPECT_EQ(single.records[0].getNverts(), c.nverts);
        }

        SurfaceRegistry pair;
        const int r = pair.instanciateDouble(env, c.nverts, c.p, nullptr, nullptr, kSpacing);
        if (c.pairVerts == 0) {
            EXPECT_EQ(r, -1);
            EXPECT_EQ(count(pair), 0);
        } else {
            EXPECT_EQ(r, 1);
            ASSERT_EQ(count(pair), 2);
            EXPECT_EQ(pair.records[0].getNverts(), c.pairVerts);
            EXPECT_EQ(pair.records[1].getNverts(), c.pairVerts);
            EXPECT_FLOAT_EQ(pair.records[0].getArea(), pair.records[1].getArea());
        }
    }
    SurfaceRegistry r;
    EXPECT_EQ(r.instanciate(env, 4, nullptr, nullptr, nullptr, kSpacing), -1);
    const KivPoint huge[3] = {{0, 0, 0}, {1e30f, 0, 0}, {0, 1e30f, 0}};
    EXPECT_EQ(r.instanciateDirect(3, huge, nullptr, nullptr, kSpacing, 0, KivColor()), -1);
}

TEST(SurfaceInstancing, CleanedPairKeepsRemainingVerticesWithTheirAttributes) {
    const KivPoint p[4] = {{0, 0, 0}, {0.5f, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const KivUvw t[4] = {{0, 0, 1}, {0.5f, 0, 1}, {1, 0, 1}, {0, 1, 1}};
    SurfaceRegistry r;
    ASSERT_EQ(r.instanciateDouble(SurfaceEnvironment(), 4, p, nullptr, t, kSpacing), 1);
    const KivParentSurface& front = r.records[0];
    EXPECT_EQ(front.position[1].x, 1.0f);
    EXPECT_EQ(front.uvw[1].u, 1.0f);
    EXPECT_EQ(front.uvw[2].v, 1.0f);
}

TEST(SurfaceInstancing, GivenNormalsAreTurnedToTheWindingSide) {
    const KivVector down[4] = {{0, 0, -1}, {0, 0, -2}, {0, 0, 1}, {0, 0.6f, -0.8f}};
    SurfaceRegistry r;
    ASSERT_EQ(r.instanciate(SurfaceEnvironment(), 4, kSquare, down, nullptr, kSpacing), 0);
    const KivParentSurface& s = r.records[0];
    EXPECT_EQ(s.normal[0].z, 1.0f);
    EXPECT_EQ(s.normal[1].z, 1.0f);  // normalised too
    EXPECT_EQ(s.normal[2].z, 1.0f);
    EXPECT_FLOAT_EQ(s.normal[3].y, -0.6f);
    EXPECT_FLOAT_EQ(s.normal[3].z, 0.8f);
    EXPECT_EQ(s.getFlags(), kSurfaceHasNormals);
    EXPECT_EQ(s.getMapWrap(), 0);
}

TEST(SurfaceInstancing, OnePlaneCheckSplitsOnlyBentQuadrilaterals) {
    const KivPoint bent[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0.5f}, {0, 1, 0}};
    const KivPoint nearlyFlat[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0.001f}, {0, 1, 0}};
    const SurfaceEnvironment env;
    SurfaceRegistry r;
    EXPECT_EQ(r.instanciate(env, 4, bent, nullptr, nullptr, kSpacing), 0);  // check off
    r.setCheckOnOnePlane(1);
    r.initializeStack();  // the check survives a stack reset
    EXPECT_EQ(r.instanciate(env, 4, bent, nullptr, nullptr, kSpacing), 2);
    ASSERT_EQ(count(r), 3);
    EXPECT_EQ(r.records[1].getNverts(), 3);
    EXPECT_EQ(r.records[1].position[2].y, 1.0f);  // (0, 1, 3)
    EXPECT_EQ(r.records[2].position[0].x, 1.0f);  // (1, 2, 3)
    EXPECT_EQ(r.records[2].position[1].z, 0.5f);
    EXPECT_EQ(r.instanciate(env, 4, nearlyFlat, nullptr, nullptr, kSpacing), 3);
    EXPECT_EQ(r.records[3].getNverts(), 4);
    // A pair of a bent quadrilateral: two pairs, the last index returned.
    EXPECT_EQ(r.instanciateDouble(env, 4, bent, nullptr, nullptr, kSpacing), 7);
    EXPECT_EQ(r.records[6].getPairIndex(), 7);
    EXPECT_EQ(r.records[7].getPairIndex(), 6);
    r.initialize();
    EXPECT_EQ(r.stack.checkOnOnePlane, 0);
}

TEST(SurfaceInstancing, TwoSidedPairNamesItsTwinAndFacesAway) {
    const KivVector n[4] = {{0, 0, 1}, {0, 0, 1}, {0, 0.6f, 0.8f}, {0, 0, 1}};
    const KivUvw t[4] = {{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    SurfaceEnvironment env;
    env.attrIndex = 2;
    env.attrDiffuse = KivColor(0.5f, 0.5f, 0.25f);
    SurfaceRegistry r;
    r.setGroupId(9);
    ASSERT_EQ(r.instanciateDouble(env, 4, kSquare, n, t, kSpacing), 1);
    const KivParentSurface& front = r.records[0];
    const KivParentSurface& back = r.records[1];
    EXPECT_EQ(front.getPairIndex(), 1);
    EXPECT_EQ(back.getPairIndex(), 0);
    EXPECT_EQ(front.getFlags(), kSurfaceHasNormals | kSurfaceHasUvw);
    EXPECT_EQ(back.getFlags(), kSurfaceHasNormals | kSurfaceHasUvw | kSurfaceBackSide);
    EXPECT_EQ(back.getPlaneNormal().z, -1.0f);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(back.position[k].x, kSquare[3 - k].x);
        EXPECT_EQ(back.position[k].y, kSquare[3 - k].y);
        EXPECT_FLOAT_EQ(back.normal[k].z, -front.normal[3 - k].z);
        EXPECT_EQ(back.uvw[k].u, t[3 - k].u);
    }
    EXPECT_EQ(back.getAttrIndex(), 2);
    EXPECT_EQ(back.getGroupId(), 9);
    EXPECT_EQ(front.getDiffuse().b, 0.25f);
    EXPECT_EQ(r.records.endedCount(), 2);

    // Without normals the back takes the negated front plane normal.
    ASSERT_EQ(r.instanciateDouble(env, 4, kSquare, nullptr, nullptr, kSpacing), 3);
    EXPECT_EQ(r.records[3].normal[0].z, -1.0f);
    EXPECT_EQ(r.records[3].getFlags(), kSurfaceBackSide);

    // Flag 0x20 on the stack turns single instancing into a pair; the front keeps the bit.
    r.setFlags(kSurfaceTwoSided);
    ASSERT_EQ(r.instanciate(env, 3, kSquare, nullptr, nullptr, kSpacing), 5);
    EXPECT_EQ(r.records[4].getFlags(), kSurfaceTwoSided);
    EXPECT_EQ(r.records[5].getFlags(), kSurfaceTwoSided | kSurfaceBackSide);
}

TEST(SurfaceInstancing, StackFieldsReachTheSurface) {
    const KivUvw t[4] = {{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    SurfaceEnvironment env;
    env.attrIndex = 4;
    env.attrDiffuse = KivColor(0.1f, 0.2f, 0.3f);
    SurfaceRegistry r;
    r.setFlags(0x10);
    EXPECT_EQ(r.stack.flags, 0x15);
    r.setMapWrapU(5);
    EXPECT_EQ(r.stack.mapWrapU, 0);
    r.setMapWrapU(1);
    r.setMapWrapV(2);
    r.setMapWrapW(3);
    r.setMapWrapV(-1);
    r.setMapWrapV(2);
    r.setGroupId(7);
    ASSERT_EQ(r.instanciate(env, 4, kSquare, nullptr, t, kSpacing), 0);
    const KivParentSurface& s = r.records[0];
    EXPECT_EQ(s.getMapWrap(), 0x030201);
    EXPECT_EQ(s.getFlags(), 0x15 | kSurfaceHasUvw);
    EXPECT_EQ(s.getAttrIndex(), 4);
    EXPECT_EQ(s.getDiffuse().g, 0.2f);
    EXPECT_EQ(s.getGroupId(), 7);
    EXPECT_EQ(s.getInterval(), 0.25f);
    EXPECT_EQ(s.getWidth(), 5);
    ASSERT_EQ(r.instanciate(env, 4, kSquare, nullptr, nullptr, kSpacing), 1);
    EXPECT_EQ(r.records[1].getMapWrap(), 0);  // no texture coordinates, no wrap code
    EXPECT_EQ(r.instanceCount2(), 0);         // both carry 0x04

    r.initializeStack();
    EXPECT_EQ(r.stack.flags, 0);
    EXPECT_EQ(r.mapWrapCode(), 0);
    EXPECT_EQ(r.stack.groupId, 0);
    EXPECT_EQ(r.groupCount(), 1);  // the group list is not part of the stack
}

TEST(SurfaceInstancing, DirectFormsSkipStackAndCleaning) {
    SurfaceRegistry r;
    r.setFlags(0x20);
    r.setGroupId(3);
    const KivPoint repeated[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, 0}};
    const KivVector n[4] = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    EXPECT_EQ(r.instanciateDirect(4, repeated, n, nullptr, {0.5f, 1, 0.6f, 1}, 0x40,
                                  KivColor(0.3f, 0.4f, 0.5f)),
              0);
    const KivParentSurface& s = r.records[0];
    EXPECT_EQ(s.getNverts(), 4);
    EXPECT_EQ(s.getFlags(), 0x40 | kSurfaceHasNormals);
    EXPECT_EQ(s.getAttrIndex(), -1);
    EXPECT_EQ(s.getGroupId(), 0);
    EXPECT_EQ(s.getDiffuse().r, 0.3f);
    EXPECT_EQ(s.getPairIndex(), 0);
    EXPECT_EQ(r.instanciateDirect(5, repeated, n, nullptr, kSpacing, 0, KivColor()), -1);
    EXPECT_EQ(count(r), 1);
}

TEST(SurfaceInstancing, GroupListKeepsFirstSeenOrder) {
    SurfaceRegistry r;
    for (int id : {3, 1, 3}) r.setGroupId(id);
    ASSERT_EQ(r.groupCount(), 2);
    EXPECT_EQ(r.groups[0], 3);
    EXPECT_EQ(r.groups[1], 1);
    EXPECT_EQ(r.stack.groupId, 3);
    r.initialize();
    EXPECT_EQ(r.groupCount(), 0);
    r.setGroupId(3);  // seen again after the reset
    EXPECT_EQ(r.groupCount(), 1);
}

TEST(SurfaceInstancing, PlanarityTestTolerance) {
    EXPECT_TRUE(kiv::isPlanarQuad(kSquare));
    const KivPoint bent[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0.5f}, {0, 1, 0}};
    EXPECT_FALSE(kiv::isPlanarQuad(bent));
    const KivPoint edge[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0.0141f}, {0, 1, 0}};
    EXPECT_TRUE(kiv::isPlanarQuad(edge));  // 0.0141 / |(1, 1)| stays under 0.01
    const KivPoint over[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0.0145f}, {0, 1, 0}};
    EXPECT_FALSE(kiv::isPlanarQuad(over));
}

using SurfaceFlat = SceneFixture;

TEST_F(SurfaceFlat, IntervalZeroTakesTheSolverParameters) {
    EXPECT_EQ(KivSurface_Instanciate(4, kSquare, nullptr, nullptr, 0.0f, 0), 0);
    EXPECT_EQ(KivSurface_GetInterval(0), 150.0f);
    EXPECT_EQ(KivSurface_GetIntervalMultiple(0), 1);
    EXPECT_EQ(KivSurface_GetIntervalIndirect(0), 600.0f);
    EXPECT_EQ(KivSurface_Instanciate(4, kSquare, nullptr, nullptr, 0.5f, 2, 0.0f, 0), 1);
    EXPECT_EQ(KivSurface_GetIntervalIndirect(1), 600.0f);
    EXPECT_EQ(KivSurface_GetIntervalMultiple(1), 2);
    EXPECT_EQ(KivSurface_Instanciate(3, kSquare, nullptr, nullptr, 0x04, KivColor(1, 0, 0)), 2);
    EXPECT_EQ(KivSurface_GetInterval(2), 150.0f);
    EXPECT_EQ(KivSurface_Instanciate(3, kSquare, nullptr, nullptr, 0.5f, 1, 0, KivColor()), 3);
    EXPECT_FLOAT_EQ(KivSurface_GetIntervalIndirect(3), 0.6f);  // a fresh surface's own
    EXPECT_EQ(KivSurface_Instanciate(3, kSquare, nullptr, nullptr, 0.5f, 1, 2.0f, 3, 0, KivColor()),
              4);
    EXPECT_EQ(KivSurface_GetIntervalMultipleIndirect(4), 3);
    EXPECT_EQ(KivSurface_GetInstanceCount(), 5);
    EXPECT_EQ(KivSurface_GetInstanceCount2(), 4);
    EXPECT_EQ(KivSurface_EndInstance(), 5);
}

TEST_F(SurfaceFlat, UnknownAttributeGivesNoIndexAndWhite) {
    KivSurface_SetAttributeName("no such attribute");
    ASSERT_EQ(KivSurface_Instanciate(4, kSquare, nullptr, nullptr, 0.5f, 1), 0);
    EXPECT_EQ(KivSurface_GetAttributeIndex(0), -1);
    const KivColor d = KivSurface_GetDiffuse(0);
    EXPECT_EQ(d.r, 1.0f);
    EXPECT_EQ(d.g, 1.0f);
    EXPECT_EQ(d.b, 1.0f);
    // A name of 63 characters and more is cut to 63.
    const std::string longName(300, 'x');
    KivSurface_SetAttributeName(longName.c_str());
    EXPECT_EQ(std::string(kiv::scene().surfaces.stack.attributeName), longName.substr(0, 63));
    KivSurface_SetAttributeName(nullptr);
    EXPECT_EQ(kiv::scene().surfaces.stack.attributeName[0], '\0');
}

TEST_F(SurfaceFlat, PerSurfaceAccessForwardsAndIgnoresMissingIndices) {
    ASSERT_EQ(KivSurface_Instanciate(4, kSquare, nullptr, nullptr, 0.25f, 1), 0);
    KivSurface_SetFlags(0, 0x08);
    KivSurface_SetFlags(0, 0x01);
    EXPECT_EQ(KivSurface_GetFlags(0), 0x09);
    KivSurface_SetGroupId(0, 12);
    EXPECT_EQ(KivSurface_GetGroupId(0), 12);
    EXPECT_EQ(KivSurface_GetGroupCount(), 0);  // the group list is not touched
    KivSurface_SetInterval(0, 0.5f);
    EXPECT_EQ(KivSurface_GetWidth(0), 3);
    EXPECT_EQ(KivSurface_GetVertTotalCount(0), 9);
    const KivPoint moved[4] = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}};
    KivSurface_SetPosition(0, moved);
    EXPECT_EQ(KivSurface_GetArea(0), 1.0f);  // no doSet yet
    KivSurface_DoSet(0);
    EXPECT_EQ(KivSurface_GetArea(0), 4.0f);
    EXPECT_EQ(KivSurface_GetOuterSquarePos(0)[2].x, 2.0f);
    KivSurface_InitializeWithIndex(0);
    EXPECT_EQ(KivSurface_GetNverts(0), 0);

    for (int bad : {-1, 1, 1000000}) {
        KivSurface_SetFlags(bad, 1);
        KivSurface_SetPosition(bad, moved);
        KivSurface_DoSet(bad);
        KivSurface_InitializeWithIndex(bad);
        EXPECT_EQ(KivSurface_GetFlags(bad), 0);
        EXPECT_EQ(KivSurface_GetAttributeIndex(bad), -1);
        EXPECT_EQ(KivSurface_GetPosition(bad), nullptr);
        EXPECT_EQ(KivSurface_GetArea(bad), 0.0f);
    }
    EXPECT_THROW(KivSurface_GetReference(1), std::out_of_range);
    EXPECT_EQ(KivSurface_GetReference(0), KivSurface_GetPointer());
    EXPECT_EQ(KivSurface_Delete(0), 0);
    EXPECT_EQ(KivSurface_GetInstanceCount(), 1);
}

TEST_F(SurfaceFlat, OutputWritesEndedSurfaces) {
    const std::string path = testing::TempDir() + "surface_output.txt";
    auto slurp = [&path] {
        std::ifstream in(path);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    };
    KivSurface_Instanciate(3, kSquare, nullptr, nullptr, 0.5f, 1);
    EXPECT_EQ(KivSurface_Output(0, 0, path.c_str()), 1);
    EXPECT_EQ(slurp(),
              "1\n3\n0.000000 0.000000 0.000000\n0.000000 0.000000 1.000000\n"
              "1.000000 0.000000 0.000000\n0.000000 0.000000 1.000000\n"
              "1.000000 1.000000 0.000000\n0.000000 0.000000 1.000000\n"
              "1.000000 1.000000 1.000000\n");
    EXPECT_EQ(KivSurface_Output(0, 1, path.c_str()), 0);
    EXPECT_EQ(slurp(), "Index Argment Error. Exit.\n");
    KivParentSurface copy = *KivSurface_GetReference(0);
    KivSurface_Append(copy);
    EXPECT_EQ(KivSurface_GetInstanceCount(), 2);
    EXPECT_EQ(KivSurface_Output(1, 1, path.c_str()), 1);  // Append ends the new record too
    EXPECT_EQ(KivSurface_End(), 1);
    EXPECT_EQ(KivSurface_GetInstanceCount(), 0);
}
