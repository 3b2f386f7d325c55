#include "engine/intersection.h"

#include <gtest/gtest.h>

#include <random>

#include "engine/KivRadiosity.h"
#include "engine/visibility_test_scene.h"

using kiv::IntersectionState;
using kiv::OccluderFilter;
using kiv::QueryState;
using kiv::SurfaceMaterial;
using kiv::VoxelGrid;
using kiv::testing::TestScene;
using kiv::testing::transparent;

namespace {

KivPoint P(float x, float y, float z) { return KivPoint(x, y, z); }

// A horizontal square [x0, x1] x [y0, y1] at height z, counter-clockwise seen from above.
int addSquare(TestScene& s, float z, SurfaceMaterial m = {}, int flags = 0, float x0 = 0,
              float x1 = 4, float y0 = 0, float y1 = 4) {
    return s.add({P(x0, y0, z), P(x1, y0, z), P(x1, y1, z), P(x0, y1, z)}, 0.5f, flags, m);
}

// Floor and ceiling that give the grid its extent, plus whatever a test adds between them.
struct Fixture {
    TestScene scene;
    VoxelGrid grid;
    IntersectionState state;
    int floor, ceiling;

    Fixture() {
        floor = addSquare(scene, 0.0f);
        ceiling = addSquare(scene, 4.0f);
    }
    void build() {
        scene.build(grid);
        scene.prepare(grid, state);
    }
    // A surface-to-surface query between two points, no surface excluded.
    float between(KivPoint from, KivPoint to, int receiver = -1, char shooterType = 9,
                  OccluderFilter f = {}) {
        QueryState q;
        q.receiverPoint = from;
        q.receiverSurface = receiver;
        q.shooterPosition = to;
        q.shooterIndex = -1;
        q.shootType = 2;
        q.shooterType = shooterType;
        return state.judgePointToPoint(grid, q, f);
    }
    // Light travelling along `travel` reaching the point.
    float along(KivPoint at, KivVector travel, int receiver = -1) {
        QueryState q;
        q.receiverPoint = at;
        q.receiverSurface = receiver;
        q.shooterDirection = kiv::normalise(travel);
        q.shooterType = 6;
        q.shootType = 1;
        return state.judgeDirectional(grid, q);
    }
    KivColor colour() const { return state.transparencyColorResult; }
};

void expectColour(const KivColor& c, float r, float g, float b) {
    EXPECT_FLOAT_EQ(c.r, r);
    EXPECT_FLOAT_EQ(c.g, g);
    EXPECT_FLOAT_EQ(c.b, b);
    EXPECT_EQ(c.a, 1.0f);
}

}  // namespace

TEST(Intersection, OpaqueSurfaceBlocksAndBecomesTheShadowSurface) {
    Fixture f;
    const int wall = addSquare(f.scene, 2.0f);
    f.build();
    EXPECT_EQ(f.between(P(1, 1, 1), P(3, 3, 3)), 1.0f);
    expectColour(f.colour(), 0, 0, 0);
    EXPECT_EQ(f.state.shadowSurfaceIndex, wall);
    // Stopping short of the wall, or going sideways past it, is free.
    EXPECT_EQ(f.between(P(1, 1, 1), P(3, 3, 1.9f)), 0.0f);
    expectColour(f.colour(), 1, 1, 1);
    EXPECT_EQ(f.between(P(1, 1, 1), P(9, 1, 3)), 0.0f);
    EXPECT_EQ(f.along(P(1, 1, 1), KivVector(0, 0, -1)), 1.0f);
    EXPECT_EQ(f.along(P(1, 1, 1), KivVector(0, 0, 1)), 1.0f);  // the floor, 1 below
    EXPECT_EQ(f.along(P(1, 1, 1), KivVector(-1, 0, 0)), 0.0f);
}

TEST(Intersection, GrazingRaysAndTheDistanceLimits) {
    // The occluder is the square at z = 2; each ray crosses its plane inside the square.
    struct Case {
        const char* name;
        KivPoint from, to;
        float expected;
    };
    const Case cases[] = {
        // |n . D| about 0.0008 and 0.002: below and above the parallel tolerance.
        {"grazing", P(0.5f, 2, 2 - 0.0012f), P(3.5f, 2, 2 + 0.0012f), 0.0f},
        {"shallow", P(0.5f, 2, 2 - 0.003f), P(3.5f, 2, 2 + 0.003f), 1.0f},
        {"0.0015 after the receiver", P(2, 2, 2 - 0.0015f), P(2, 2, 3), 0.0f},
        {"0.0025 after the receiver", P(2, 2, 2 - 0.0025f), P(2, 2, 3), 1.0f},
        {"0.0005 before the shooter", P(2, 2, 1), P(2, 2, 2 + 0.0005f), 0.0f},
        {"0.002 before the shooter", P(2, 2, 1), P(2, 2, 2 + 0.002f), 1.0f},
    };
    for (const Case& c : cases) {
        Fixture f;
        addSquare(f.scene, 2.0f);
        f.build();
        EXPECT_EQ(f.between(c.from, c.to), c.expected) << c.name;
    }
    // Directional rays have no far limit, only the near one.
    Fixture f;
    addSquare(f.scene, 2.0f);
    f.build();
    EXPECT_EQ(f.along(P(2, 2, 2 - 0.0015f), KivVector(0, 0, -1)), 1.0f);  // the ceiling
    EXPECT_EQ(f.along(P(2, 2, 1.5f), KivVector(0, 0, -1)), 1.0f);
}

TEST(Intersection, EdgeHitsDependOnWinding) {
    // A vertical ray through the edge x = 0 of the square [0, 1]^2 at z = 2.
    const KivPoint ccw[4] = {P(0, 0, 2), P(1, 0, 2), P(1, 1, 2), P(0, 1, 2)};
    const KivPoint cw[4] = {P(0, 0, 2), P(0, 1, 2), P(1, 1, 2), P(1, 0, 2)};
    for (int winding = 0; winding < 2; ++winding) {
        const KivPoint* c = winding == 0 ? ccw : cw;
        Fixture f;
        const int sq = f.scene.add({c[0], c[1], c[2], c[3]});
        f.build();
        const float expected = winding == 0 ? 0.0f : 1.0f;
        EXPECT_EQ(f.between(P(0, 0.5f, 1), P(0, 0.5f, 3)), expected) << winding;
        EXPECT_EQ(kiv::insidePolygon(f.scene.surfaces[sq], P(0, 0.5f, 2)), winding == 1);
        EXPECT_TRUE(kiv::insideBoundaryBox(f.scene.surfaces[sq], P(0, 0.5f, 2)));
    }
}

TEST(Intersection, TransparentSurfacesMultiplyTheirColours) {
    struct Case {
        const char* name;
        SurfaceMaterial first, second;
        float expected;
        KivColor colour;
    };
    const Case cases[] = {
        {"two transparent", transparent(0.5f, 0.5f, 0.5f), transparent(0.2f, 0.4f, 0.6f), 0.5f,
         KivColor(0.1f, 0.2f, 0.3f)},
        {"transparent then opaque", transparent(0.5f, 0.5f, 0.5f), SurfaceMaterial{}, 1.0f,
         KivColor(0, 0, 0)},
        {"material with zero transparency", transparent(0.5f, 0.5f, 0.5f), transparent(0, 0, 0),
         1.0f, KivColor(0, 0, 0)},
    };
    for (const Case& c : cases) {
        Fixture f;
        const int a = addSquare(f.scene, 1.5f, c.first);
        const int b = addSquare(f.scene, 2.5f, c.second);
        f.build();
        EXPECT_EQ(f.between(P(2, 2, 1), P(2.2f, 2.1f, 3)), c.expected) << c.name;
        expectColour(f.colour(), c.colour.r, c.colour.g, c.colour.b);
        EXPECT_EQ(f.state.shadowSurfaceIndex, c.expected == 1.0f ? b : -1) << c.name;
        (void)a;
    }
}

TEST(Intersection, EnvironmentLightOnlyMeetsSurveySurfacesAndFiltersOverrideThat) {
    struct Case {
        const char* name;
        char shooterType;
        OccluderFilter filter;
        float plainWall, surveyWall;
    };
    const Case cases[] = {
        {"HDRI, ordinary", 8, {}, 0.0f, 1.0f},
        {"surface, ordinary", 9, {}, 1.0f, 1.0f},
        {"HDRI, mask 0 mode 0", 8, {0, 0}, 0.0f, 1.0f},
        {"HDRI, survey only", 8, {kSurfaceSurvey, 1}, 0.0f, 1.0f},
        {"HDRI, all but survey", 8, {kSurfaceSurvey, 0}, 1.0f, 0.0f},
        {"HDRI, other mode", 8, {kSurfaceSurvey, 7}, 1.0f, 1.0f},
        {"surface, all but survey", 9, {kSurfaceSurvey, 0}, 1.0f, 0.0f},
    };
    for (const Case& c : cases) {
        Fixture f;
        addSquare(f.scene, 2.0f, {}, 0, 0, 2, 0, 4);               // x < 2: ordinary
        addSquare(f.scene, 2.0f, {}, kSurfaceSurvey, 2, 4, 0, 4);  // x > 2: survey
        f.build();
        EXPECT_EQ(f.between(P(1, 2, 1), P(1, 2, 3), -1, c.shooterType, c.filter), c.plainWall)
            << c.name;
        EXPECT_EQ(f.between(P(3, 2, 1), P(3, 2, 3), -1, c.shooterType, c.filter), c.surveyWall)
            << c.name;
    }
}

TEST(Intersection, ShadowCacheAnswersWithoutWalking) {
    Fixture f;
    const int sheet = addSquare(f.scene, 0.5f, transparent(0.5f, 0.5f, 0.5f));
    const int wall = addSquare(f.scene, 2.0f);
    f.build();
    ASSERT_EQ(f.between(P(1, 1, 0.25f), P(1, 1, 3)), 1.0f);
    ASSERT_EQ(f.state.shadowSurfaceIndex, wall);
    // Another receiver behind the same wall: answered by the wall alone, so the sheet on the
    // way is never tested.
    const std::int32_t sheetRay = f.state.surfaces().rayNumber(sheet);
    EXPECT_EQ(f.between(P(3, 3, 0.25f), P(3, 3, 3)), 1.0f);
    expectColour(f.colour(), 0, 0, 0);
    EXPECT_EQ(f.state.surfaces().rayNumber(wall), f.state.rayCounter);
    EXPECT_EQ(f.state.surfaces().rayNumber(sheet), sheetRay);
    EXPECT_EQ(f.state.shadowSurfaceIndex, wall);

    // A miss of the cached surface forgets it and walks.
    EXPECT_EQ(f.between(P(3, 3, 0.25f), P(3, 3, 1.5f)), 0.5f);
    EXPECT_EQ(f.state.shadowSurfaceIndex, -1);
    EXPECT_EQ(f.state.surfaces().rayNumber(sheet), f.state.rayCounter);

    // The cached surface is never used as the receiver's own occluder.
    ASSERT_EQ(f.between(P(1, 1, 0.25f), P(1, 1, 3)), 1.0f);
    EXPECT_EQ(f.between(P(1, 1, 0.25f), P(1, 1, 3), wall), 0.5f);
    EXPECT_EQ(f.state.shadowSurfaceIndex, -1);
}

TEST(Intersection, RayCounterWrapClearsRayNumbersBeforeTheRay) {
    Fixture f;
    const int wall = addSquare(f.scene, 2.0f);
    f.build();
    auto& S = f.state.surfaces();

    // Up to 65534 the counter just counts.
    f.state.rayCounter = 65533;
    S.setRayNumber(f.floor, 7);
    EXPECT_EQ(f.between(P(1, 1, 1), P(1, 1, 1.5f)), 0.0f);
    EXPECT_EQ(f.state.rayCounter, 65534);
    EXPECT_EQ(S.rayNumber(f.floor), 7);

    // The 65535th ray clears every number first: a stale number 1 on the wall must not make
    // the wall look already tested by ray 1.
    S.setRayNumber(wall, 1);
    EXPECT_EQ(f.between(P(1, 1, 1), P(1, 1, 3)), 1.0f);
    EXPECT_EQ(f.state.rayCounter, 1);
    EXPECT_EQ(S.rayNumber(f.floor), 0);

    // Restarting the numbering (a new shooting state) clears them as well.
    f.state.resetShadowSurfaceIndex();
    S.setRayNumber(wall, 1);
    f.state.resetRayCounter();
    EXPECT_EQ(f.between(P(1, 1, 1), P(1, 1, 3)), 1.0f);
}

TEST(Intersection, RayInsideOneCellTestsOnlyThatCell) {
    TestScene s = kiv::testing::boxesInARoom(6);
    VoxelGrid g;
    IntersectionState st;
    s.build(g);
    s.prepare(g, st);
    ASSERT_GT(g.count[0], 4);
    // A short ray in the middle of a cell.
    const KivPoint a(g.boundary.xmin + 2.5f * g.size[0], g.boundary.ymin + 2.5f * g.size[1],
                     g.boundary.zmin + 1.5f * g.size[2]);
    const KivPoint b(a.x + 0.2f * g.size[0], a.y + 0.1f * g.size[1], a.z + 0.1f * g.size[2]);
    QueryState q;
    q.receiverPoint = a;
    q.shooterPosition = b;
    q.receiverSurface = q.shooterIndex = -1;
    q.shootType = 2;
    st.judgePointToPoint(g, q);
    const int cell = g.cellIndex(2, 2, 1);
    int tested = 0;
    for (int j = 0; j < st.surfaces().size(); ++j) {
        if (st.surfaces().rayNumber(j) != st.rayCounter) continue;
        ++tested;
        bool listed = false;
        for (const std::int32_t* it = g.cellBegin(cell); it != g.cellEnd(cell); ++it)
            listed = listed || *it == j;
        EXPECT_TRUE(listed) << j;
    }
    EXPECT_EQ(tested, static_cast<int>(g.cellEnd(cell) - g.cellBegin(cell)));
}

TEST(Intersection, ShooterSurfaceAndReceiverSurfaceNeverOcclude) {
    Fixture f;
    const int wall = addSquare(f.scene, 2.0f);
    f.build();
    QueryState q;
    q.receiverPoint = P(1, 1, 1);
    q.shooterPosition = P(1, 1, 3);
    q.receiverSurface = -1;
    q.shootType = 2;
    q.shooterIndex = wall;
    EXPECT_EQ(f.state.judgePointToPoint(f.grid, q), 0.0f);
    // While a light shoots the shooter index names a light: the surface of that index
    // still occludes.
    q.shootType = 1;
    EXPECT_EQ(f.state.judgePointToPoint(f.grid, q), 1.0f);
    q.shootType = 2;
    q.shooterIndex = -1;
    q.receiverSurface = wall;
    f.state.resetShadowSurfaceIndex();
    EXPECT_EQ(f.state.judgePointToPoint(f.grid, q), 0.0f);
}

TEST(Intersection, DegenerateRaysAndReceiversOutsideTheGridEnd) {
    Fixture f;
    addSquare(f.scene, 2.0f);
    f.build();
    // Receiver equal to shooter, and a zero light direction: nothing to walk along.
    EXPECT_EQ(f.between(P(1, 1, 1), P(1, 1, 1)), 0.0f);
    EXPECT_EQ(f.along(P(1, 1, 1), KivVector(0, 0, 0)), 0.0f);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(f.between(P(1, 1, 1), P(nan, 1, 3)), 0.0f);
    EXPECT_EQ(f.between(P(nan, 1, 1), P(1, 1, 3)), 0.0f);
    // A receiver outside the scene still meets what its ray passes inside it.
    EXPECT_EQ(f.between(P(1, 1, -30), P(1, 1, 3)), 1.0f);  // the floor
    f.state.resetShadowSurfaceIndex();
    EXPECT_EQ(f.between(P(1, 1, -30), P(1, 1, -10)), 0.0f);
    EXPECT_EQ(f.between(P(-30, 1, 1), P(-20, 1, 3)), 0.0f);
    EXPECT_EQ(f.along(P(1, 1, 30), KivVector(0, 0, -1)), 0.0f);  // ray heads up, away
    EXPECT_EQ(f.along(P(1, 1, 30), KivVector(0, 0, 1)), 1.0f);   // ray heads down: ceiling
    f.state.resetShadowSurfaceIndex();
    EXPECT_EQ(f.along(P(1, 1, -30), KivVector(0, 0, -1)), 1.0f);  // ray heads up: floor
    // Released grid: no walk, no crash.
    f.grid.endCells();
    f.state.resetShadowSurfaceIndex();
    EXPECT_EQ(f.between(P(1, 1, 1), P(1, 1, 3)), 0.0f);
}

// The walk must find exactly what testing every surface along the ray finds: same answer and
// same colour (the transparencies are powers of two, so the product is exact in any order).
TEST(Intersection, GridWalkAgreesWithTestingEverySurface) {
    TestScene s = kiv::testing::boxesInARoom(8);
    VoxelGrid g;
    IntersectionState st;
    s.build(g);
    s.prepare(g, st);
    const int n = static_cast<int>(s.surfaces.size());

    auto reference = [&](const KivPoint& p, KivVector d, float tMax, int receiver, KivColor& c) {
        c = KivColor(1, 1, 1);
        float result = 0.0f;
        for (int j = 0; j < n; ++j) {
            if (j == receiver) continue;
            const KivParentSurface& sf = s.surfaces[j];
            const float den = kiv::dot(sf.planeNormal, d);
            if (-0.001f < den && den < 0.001f) continue;
            const float t = (sf.planeHeight - kiv::dot(sf.planeNormal, p)) / den;
            if (!(t >= 0.002f && t <= tMax)) continue;
            const KivPoint h = p + d * t;
            if (!kiv::insideBoundaryBox(sf, h) || !kiv::insidePolygon(sf, h)) continue;
            if (!s.materials[j].present) {
                c = KivColor(0, 0, 0);
                return 1.0f;
            }
            result = 0.5f;
            c *= s.materials[j].transparency;
        }
        return result;
    };

    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(s.vertices.size()) - 1);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    auto surfaceOf = [&](int v) {
        for (int j = n - 1; j >= 0; --j)
            if (s.surfaces[j].vertArrayIndex <= v) return j;
        return 0;
    };
    int blocked = 0, transmitted = 0, free = 0;
    for (int i = 0; i < 3000; ++i) {
        const int va = pick(rng), vb = pick(rng);
        const int ra = surfaceOf(va);
        const KivPoint a = s.vertices[va].receivePoint, b = s.vertices[vb].shootPoint;
        QueryState q;
        q.receiverPoint = a;
        q.receiverSurface = ra;
        q.shooterIndex = surfaceOf(vb);
        q.shootType = 2;
        KivColor expected;
        float want;
        float got;
        if (i % 2 == 0) {
            q.shooterPosition = b;
            KivVector d = kiv::vectorBetween(a, b);
            const float len = kiv::length(d);
            d = kiv::normalise(d);
            // The reference leaves the shooter surface out as the query does.
            const int shooter = q.shooterIndex;
            KivParentSurface saved = s.surfaces[shooter];
            s.surfaces[shooter].nverts = 0;  // no polygon: never hit
            want = reference(a, d, len - 0.001f, ra, expected);
            s.surfaces[shooter] = saved;
            got = st.judgePointToPoint(g, q);
        } else {
            const KivVector travel = kiv::normalise(KivVector(unit(rng), unit(rng), unit(rng)));
            q.shooterDirection = travel;
            want = reference(a, kiv::negate(travel), std::numeric_limits<float>::infinity(), ra,
                             expected);
            got = st.judgeDirectional(g, q);
        }
        ASSERT_EQ(got, want) << "ray " << i;
        const KivColor c = st.transparencyColorResult;
        ASSERT_EQ(c.r, expected.r) << "ray " << i;
        ASSERT_EQ(c.g, expected.g) << "ray " << i;
        ASSERT_EQ(c.b, expected.b) << "ray " << i;
        blocked += want == 1.0f;
        transmitted += want == 0.5f;
        free += want == 0.0f;
    }
    // The sample must exercise all three answers.
    EXPECT_GT(blocked, 100);
    EXPECT_GT(transmitted, 50);
    EXPECT_GT(free, 100);
}

TEST(IntersectionApi, ExplicitFormsLeaveTheShootingStateAlone) {
    KivScene_Create();
    KivScene& scene = kiv::scene();
    TestScene s;
    addSquare(s, 0.0f);
    addSquare(s, 4.0f);
    const int wall = addSquare(s, 2.0f);
    s.install(scene);
    ASSERT_GT(kiv::buildVoxelGrid(scene), 0);

    QueryState& q = kiv::queryState(scene);
    q.receiverPoint = P(1, 1, 1);
    q.receiverSurface = 0;
    q.shooterPosition = P(1, 1, 3);
    q.shooterIndex = 1;
    q.shootType = 1;
    q.shooterType = 1;
    q.shooterDirection = KivVector(0, 0, -1);
    const QueryState before = q;

    EXPECT_EQ(KivIntersection_JudgeIntersection(P(3, 3, 1), -1, P(3, 3, 3), -1), 1.0f);
    EXPECT_EQ(KivIntersection_JudgeIntersection(P(3, 3, 1), -1, P(3, 3, 3), wall), 0.0f);
    // An unnormalised direction is normalised: light travelling down reaches (3, 3, 1)
    // through the wall above it.
    EXPECT_EQ(KivIntersection_JudgeDirectionalIntersection(P(3, 3, 1), -1, KivVector(0, 0, -5)),
              1.0f);
    EXPECT_EQ(KivIntersection_JudgeDirectionalIntersection(P(3, 3, 1), -1, KivVector(0, 0, 5)),
              1.0f);  // the floor
    EXPECT_EQ(q.receiverPoint.x, before.receiverPoint.x);
    EXPECT_EQ(q.receiverSurface, before.receiverSurface);
    EXPECT_EQ(q.shooterPosition.z, before.shooterPosition.z);
    EXPECT_EQ(q.shooterIndex, before.shooterIndex);
    EXPECT_EQ(q.shootType, before.shootType);
    EXPECT_EQ(q.shooterDirection.z, before.shooterDirection.z);

    // The plain forms use the state as it stands.
    EXPECT_EQ(KivIntersection_JudgeIntersection(), 1.0f);
    expectColour(KivIntersection_GetTransparencyColorResult(), 0, 0, 0);
    EXPECT_EQ(scene.intersection.shadowSurfaceIndex, wall);
    KivIntersection_ResetShadowSurfaceIndex();
    EXPECT_EQ(scene.intersection.shadowSurfaceIndex, -1);
    EXPECT_EQ(KivIntersection_JudgeDirectionalIntersection(), 1.0f);
    q.shooterDirection = KivVector(1, 0, 0);
    EXPECT_EQ(KivIntersection_JudgeDirectionalIntersection(), 0.0f);
    expectColour(KivIntersection_GetTransparencyColorResult(), 1, 1, 1);
    KivScene_End();
}
