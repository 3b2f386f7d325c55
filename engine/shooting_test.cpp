#include "engine/shooting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/solve_test_scene.h"
#include "engine/voxel_grid.h"

using kiv::Shooter;
using kiv::testing::FixedLight;
using kiv::testing::SceneFixture;

namespace {

void setUnshot(KivScene& s, int surface, KivColor c) {
    const KivParentSurface& f = s.surfaces.records[surface];
    for (int k = 0; k < f.vertTotalCount; ++k) s.vertices.direct[f.vertArrayIndex + k].unshot = c;
}

// Sum of received red over a surface's inside points.
float receivedRed(KivScene& s, int surface) {
    const KivParentSurface& f = s.surfaces.records[surface];
    float sum = 0.0f;
    for (int k = 0; k < f.vertTotalCount; ++k) {
        const KivVertex& v = s.vertices.direct[f.vertArrayIndex + k];
        if (v.inside() == 1.0f) sum += v.received.r;
    }
    return sum;
}

void prepare(KivScene& s) {
    ASSERT_GE(s.vertices.createDirect(s.surfaces, s.lightmaps), 0);
    kiv::buildVoxelGrid(s);
    Shooter(s).initialize();
}

// A right triangle of side 100 on a 10-unit grid, many of whose grid points lie outside it,
// with its sample points and grid ready; answers its surface index.
int preparedTriangle(KivScene& s) {
    const KivPoint tri[3] = {{0, 0, 0}, {100, 0, 0}, {0, 0, 100}};
    const kiv::SurfaceSpacing spacing{10.0f, 1, 40.0f, 1};
    const int index = s.surfaces.instanciateDirect(3, tri, nullptr, nullptr, spacing, 0,
                                                   KivColor(0.5f, 0.5f, 0.5f));
    s.surfaces.records.endInstance();
    prepare(s);
    return index;
}

}  // namespace

TEST(AcosTable, EdgesAndInterpolation) {
    SceneFixture f;
    kiv::ShootingState& st = f->shooting;
    EXPECT_EQ(st.interpolateAcos(1.5), 0.0f);
    EXPECT_EQ(st.interpolateAcos(-1.5), 0.0f);
    EXPECT_EQ(st.interpolateAcos(-1.0), 3.1415927f);
    EXPECT_EQ(st.interpolateAcos(1.0), 0.0f);
    EXPECT_EQ(st.interpolateAcos(std::nan("")), 0.0f);
    EXPECT_EQ(st.interpolateAcos(0.0), static_cast<float>(std::acos(0.0)));
    for (double x : {-0.9999, -0.9995, -0.7, -0.25, 0.3, 0.77, 0.9995, 0.99999}) {
        SCOPED_TRACE(x);
        EXPECT_NEAR(st.interpolateAcos(x), std::acos(x), 2e-4);
    }
    // Released tables are rebuilt rather than read.
    st.end();
    EXPECT_NEAR(st.interpolateAcos(0.5), std::acos(0.5), 1e-6);
}

TEST(DiskFormFactor, ReceiverFacingAwayGetsNothing) {
    EXPECT_EQ(kiv::diskFormFactor(0.01f, -1.0f), 0.0f);
    EXPECT_EQ(kiv::diskFormFactor(1e-6f, -0.01f), 0.0f);
    // Facing: about the point form factor times pi.
    EXPECT_NEAR(kiv::diskFormFactor(1e-4f, 1.0f), 1e-4f, 1e-7f);
}

TEST(SurfaceShot, FacingAwayReceiverStaysDarkFacingOneIsLit) {
    SceneFixture f;
    const KivPoint up = KivPoint::make(50, 500, 50), down = KivPoint::make(50, -500, 50);
    const int shooter = f.quad({0, 0, 0}, {100, 0, 0}, {0, 0, 100}, up, 25.0f);
    const int facing = f.quad({0, 100, 0}, {100, 100, 0}, {0, 100, 100}, down, 25.0f);
    const int away = f.quad({200, 100, 0}, {300, 100, 0}, {200, 100, 100}, up, 25.0f);
    prepare(*f);
    setUnshot(*f, shooter, KivColor(1.0f, 1.0f, 1.0f));
    f->shooting.shootType = kiv::kShootSurface;
    f->shooting.shooterIndex = shooter;
    Shooter sh(*f);
    sh.setShooterParam();
    sh.surfaceShot();

    EXPECT_GT(receivedRed(*f, facing), 0.0f);
    EXPECT_EQ(receivedRed(*f, away), 0.0f);
    const KivParentSurface& a = f->surfaces.records[away];
    for (int k = 0; k < a.vertTotalCount; ++k) {
        const KivVertex& v = f->vertices.direct[a.vertArrayIndex + k];
        EXPECT_EQ(v.shotFlags, 1);
        EXPECT_EQ(v.current.r, 0.0f);
        EXPECT_EQ(v.unshot.r, 0.0f);
    }
    // The shooter gave away its energy, and the receivers keep their inside flags.
    const KivParentSurface& s = f->surfaces.records[shooter];
    for (int k = 0; k < s.vertTotalCount; ++k)
        EXPECT_EQ(f->vertices.direct[s.vertArrayIndex + k].unshot.r, 0.0f);
    const KivParentSurface& r = f->surfaces.records[facing];
    int inside = 0;
    for (int k = 0; k < r.vertTotalCount; ++k) {
        const KivVertex& v = f->vertices.direct[r.vertArrayIndex + k];
        if (v.inside() == 1.0f) ++inside;
        EXPECT_TRUE(std::isfinite(v.received.r));
    }
    EXPECT_EQ(inside, r.vertInnerCount);
    EXPECT_GT(f->shooting.pairCount, 0u);
}

TEST(SurfaceShot, BlockerBetweenShooterAndReceiverCastsShadow) {
    SceneFixture f;
    const KivPoint up = KivPoint::make(50, 500, 50), down = KivPoint::make(50, -500, 50);
    const int shooter = f.quad({0, 0, 0}, {100, 0, 0}, {0, 0, 100}, up, 25.0f);
    const int receiver = f.quad({0, 100, 0}, {100, 100, 0}, {0, 100, 100}, down, 25.0f);
    // Without the blocker, then with a plate covering the gap.
    prepare(*f);
    setUnshot(*f, shooter, KivColor(1.0f, 1.0f, 1.0f));
    f->shooting.shooterIndex = shooter;
    Shooter sh(*f);
    sh.setShooterParam();
    sh.surfaceShot();
    const float open = receivedRed(*f, receiver);

    SceneFixture g;
    const int shooter2 = g.quad({0, 0, 0}, {100, 0, 0}, {0, 0, 100}, up, 25.0f);
    const int receiver2 = g.quad({0, 100, 0}, {100, 100, 0}, {0, 100, 100}, down, 25.0f);
    g.quad({-500, 50, -500}, {600, 50, -500}, {-500, 50, 600}, down, 400.0f);
    prepare(*g);
    setUnshot(*g, shooter2, KivColor(1.0f, 1.0f, 1.0f));
    g->shooting.shooterIndex = shooter2;
    Shooter sh2(*g);
    sh2.setShooterParam();
    sh2.surfaceShot();
    EXPECT_GT(open, 0.0f);
    EXPECT_EQ(receivedRed(*g, receiver2), 0.0f);
}

TEST(SurfaceShot, SurveySurfaceDoesNotShootAtSurvey) {
    SceneFixture f;
    const KivPoint up = KivPoint::make(50, 500, 50), down = KivPoint::make(50, -500, 50);
    const KivColor grey(0.5f, 0.5f, 0.5f);
    const int shooter = f.quad({0, 0, 0}, {100, 0, 0}, {0, 0, 100}, up, 25.0f, grey, 0x40);
    const int survey = f.quad({0, 100, 0}, {100, 100, 0}, {0, 100, 100}, down, 25.0f, grey, 0x40);
    const int plain = f.quad({0, 100, 100}, {100, 100, 100}, {0, 100, 200}, down, 25.0f, grey);
    prepare(*f);
    setUnshot(*f, shooter, KivColor(1.0f, 1.0f, 1.0f));
    f->shooting.shooterIndex = shooter;
    Shooter sh(*f);
    sh.setShooterParam();
    sh.surfaceShot();
    EXPECT_EQ(receivedRed(*f, survey), 0.0f);
    EXPECT_GT(receivedRed(*f, plain), 0.0f);
}

TEST(UpdatePass, ColourBleedingZeroGreysTheReflectedPartOnly) {
    EXPECT_EQ(kiv::bleedReflectance(KivColor(0.2f, 0.5f, 0.8f), 0.0f).r, 0.8f);
    SceneFixture f;
    const int s = f.quad({0, 0, 0}, {100, 0, 0}, {0, 0, 100}, {50, 100, 50}, 50.0f,
                         KivColor(0.2f, 0.5f, 0.8f));
    prepare(*f);
    f->solverParameters.colorBleeding = 0.0f;
    f->shooting.shootType = kiv::kShootLight;
    f->shooting.shooterType = kKivDirectionalLight;
    const KivParentSurface& g = f->surfaces.records[s];
    for (int k = 0; k < g.vertTotalCount; ++k)
        f->vertices.direct[g.vertArrayIndex + k].current = KivColor(1.0f, 2.0f, 3.0f);
    Shooter(*f).updateReceiveUnshot();
    const KivVertex& v = f->vertices.direct[g.vertArrayIndex];
    ASSERT_EQ(v.inside(), 1.0f);
    EXPECT_EQ(v.received.r, 1.0f);
    EXPECT_EQ(v.received.g, 2.0f);
    EXPECT_EQ(v.received.b, 3.0f);
    EXPECT_EQ(v.unshot.r, 1.0f * 0.8f * 0.31830987f);
    EXPECT_EQ(v.unshot.g, 2.0f * 0.8f * 0.31830987f);
    EXPECT_EQ(v.unshot.b, 3.0f * 0.8f * 0.31830987f);
    EXPECT_EQ(v.current.r, 0.0f);
    EXPECT_EQ(v.inside(), 1.0f);
}

TEST(UpdatePass, OutsidePointsNextToLitPointsReceiveButNeverGainUnshot) {
    SceneFixture f;
    const int s = preparedTriangle(*f);
    const KivParentSurface& g = f->surfaces.records[s];
    const int w = g.width, h = g.height;
    // Light only the left column (i = 0); every point caught one unit.
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            KivVertex& v = f->vertices.direct[g.vertArrayIndex + i + j * w];
            v.current = KivColor(1.0f, 1.0f, 1.0f);
            v.shotFlags = i == 0 ? 2 : 1;
        }
    f->shooting.shootType = kiv::kShootLight;
    f->shooting.shooterType = kKivDirectionalLight;
    Shooter(*f).updateReceiveUnshot();
    int outsideReceiving = 0, outsideDark = 0;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const KivVertex& v = f->vertices.direct[g.vertArrayIndex + i + j * w];
            if (v.inside() == 1.0f) {
                EXPECT_EQ(v.received.r, 1.0f);
                EXPECT_GT(v.unshot.r, 0.0f);
                continue;
            }
            EXPECT_EQ(v.unshot.r, 0.0f);
            EXPECT_EQ(v.inside(), 0.0f);
            if (v.received.r > 0.0f)
                ++outsideReceiving;
            else
                ++outsideDark;
        }
    // The outside point beside the lit column receives; those far from it stay dark.
    EXPECT_GT(outsideReceiving, 0);
    EXPECT_GT(outsideDark, 0);
}

TEST(LightShot, EnvironmentShotWeakerInAnyComponentIsIgnored) {
    SceneFixture f;
    f.quad({0, 0, 0}, {100, 0, 0}, {0, 0, 100}, {50, 100, 50}, 50.0f);
    prepare(*f);
    const int hdri = f->lights.instanciate(
        new FixedLight(kKivHDRILight, KivColor(1.0f, 1.0f, 1.0f), KivColor(1.0f, 2.0f, 3.0f)));
    f->workLists.pointLight.assign(f->vertices.direct.size(), -1);
    f->shooting.shootType = kiv::kShootLight;
    f->shooting.shooterIndex = hdri;
    Shooter sh(*f);
    sh.setShooterParam();
    ASSERT_EQ(f->shooting.shooterType, kKivHDRILight);

    f->vertices.direct[0].current = KivColor(0.5f, 2.5f, 0.5f);
    sh.radiosityToVertex(0);
    EXPECT_EQ(f->vertices.direct[0].current.g, 2.5f);
    EXPECT_EQ(f->workLists.pointLight[0], -1);

    f->vertices.direct[1].current = KivColor(0.5f, 0.5f, 0.5f);
    sh.radiosityToVertex(1);
    EXPECT_EQ(f->vertices.direct[1].current.b, 3.0f);
    EXPECT_EQ(f->workLists.pointLight[1], hdri);

    // Out-of-range points are answered with nothing.
    EXPECT_EQ(sh.radiosityToVertex(-1).r, 0.0f);
    EXPECT_EQ(sh.radiosityToVertex(1 << 30).r, 0.0f);
}

TEST(LightShot, LightThatFailsStopsTheSurface) {
    class Failing : public FixedLight {
      public:
        Failing() : FixedLight(kKivPointLight, KivColor(1, 1, 1), KivColor(1, 1, 1)) {}
        KivColor shoot(int) override {
            if (++calls >= 2) throw std::runtime_error("bad point");
            return KivColor(1, 1, 1);
        }
    };
    SceneFixture f;
    const int a = f.quad({0, 0, 0}, {100, 0, 0}, {0, 0, 100}, {50, 100, 50}, 50.0f);
    f.quad({0, 10, 0}, {100, 10, 0}, {0, 10, 100}, {50, 100, 50}, 50.0f);
    prepare(*f);
    auto* light = new Failing;
    f->lights.instanciate(light);
    f->shooting.shootType = kiv::kShootLight;
    f->shooting.shooterIndex = 0;
    Shooter sh(*f);
    sh.setShooterParam();
    EXPECT_EQ(sh.radiosityToSurface(a), 0);
    sh.radiosity();
    // The first surface fails again on its first point; the second is never reached.
    EXPECT_EQ(light->calls, 3);
}

TEST(ShooterChoice, PriorityByTypeThenStrongestWithTiesToLowerIndex) {
    SceneFixture f;
    auto add = [&](char type, float power) {
        return f->lights.instanciate(
            new FixedLight(type, KivColor(power, 0.0f, 0.0f), KivColor(0, 0, 0)));
    };
    const int p0 = add(kKivPointLight, 5.0f);
    const int p1 = add(kKivPointLight, 5.0f);
    const int spot = add(kKivSpotLight, 9.0f);
    const int dir = add(kKivDirectionalLight, 0.1f);
    const int sky = add(kKivSkyLight, 0.1f);
    const int hdri = add(kKivHDRILight, 0.1f);
    add(kKivPointLight, 0.0f);  // nothing to shoot: never chosen
    f->shooting.shootType = kiv::kShootLight;
    Shooter sh(*f);
    const int expected[] = {hdri, sky, dir, spot, p0, p1};
    for (const int e : expected) {
        ASSERT_EQ(sh.chooseNext(0), e);
        EXPECT_EQ(f->shooting.shooterIndex, e);
        f->lights.at(e)->alreadyShoot = 1;
    }
    EXPECT_EQ(sh.chooseNext(0), -1);
    EXPECT_EQ(f->shooting.shooterType, 0);
    // A requested type finds only that type, and leaves the shooter type alone when none.
    f->lights.at(p1)->alreadyShoot = 0;
    f->shooting.shooterType = 9;
    EXPECT_EQ(sh.chooseNextLight(kKivHDRILight), -1);
    EXPECT_EQ(f->shooting.shooterType, 9);
    EXPECT_EQ(sh.chooseNextLight(kKivPointLight), p1);
}

TEST(ShooterChoice, SurfaceWithMostUnshotSkippingNoShootFlag) {
    SceneFixture f;
    const KivPoint up = KivPoint::make(0, 500, 0);
    const int a = f.quad({0, 0, 0}, {100, 0, 0}, {0, 0, 100}, up, 50.0f);
    const int b = f.quad({0, 0, 200}, {100, 0, 200}, {0, 0, 300}, up, 50.0f);
    const int c =
        f.quad({0, 0, 400}, {100, 0, 400}, {0, 0, 500}, up, 50.0f, {0.5f, 0.5f, 0.5f}, 0x08);
    prepare(*f);
    f->shooting.shootType = kiv::kShootSurface;
    Shooter sh(*f);
    EXPECT_EQ(sh.chooseNext(0), -1);
    setUnshot(*f, a, KivColor(1, 1, 1));
    setUnshot(*f, b, KivColor(1, 1, 1));
    setUnshot(*f, c, KivColor(9, 9, 9));
    EXPECT_EQ(sh.chooseNext(0), a);
    setUnshot(*f, b, KivColor(2, 1, 1));
    EXPECT_EQ(sh.chooseNext(0), b);
}

TEST(ShootingState, PrivateDumpAppendsTheState) {
    SceneFixture f;
    const std::string path = ::testing::TempDir() + "vertPrivateOut_test.txt";
    std::remove(path.c_str());
    f->shooting.shootType = 2;
    f->shooting.shooterIndex = 7;
    f->shooting.closeLengthThreshold = 1.5f;
    Shooter sh(*f);
    ASSERT_TRUE(sh.outputPrivate(path.c_str()));
    ASSERT_TRUE(sh.outputPrivate(path.c_str()));
    std::FILE* in = std::fopen(path.c_str(), "r");
    ASSERT_NE(in, nullptr);
    char line[128];
    std::vector<std::string> lines;
    while (std::fgets(line, sizeof line, in) != nullptr) lines.emplace_back(line);
    std::fclose(in);
    ASSERT_EQ(lines.size(), 38u);
    EXPECT_EQ(lines[0], "2\n");
    EXPECT_EQ(lines[2], "7\n");
    EXPECT_EQ(lines[18], "1.500000\n");
    EXPECT_EQ(lines[21], "7\n");
    EXPECT_FALSE(sh.outputPrivate("/nonexistent-dir/x/vertPrivateOut.txt"));
}

namespace {

// The surface shot written plainly on the vertex records, one shooting point after another
// with the update pass on the vertices: what the packed shot must reproduce bit for bit.
void referenceSurfaceShot(KivScene& s) {
    kiv::ShootingState& st = s.shooting;
    auto& recs = s.surfaces.records;
    const int shooter = st.shooterIndex;
    const KivParentSurface& S = recs[shooter];
    st.shooterNormal = kiv::normalise(S.getPlaneNormal());
    for (int sk = 0; sk < S.vertTotalCount; ++sk) {
        const KivVertex sv = s.vertices.direct[S.vertArrayIndex + sk];
        if (sv.inside() == 0.0f) continue;
        if (!(sv.unshot.r >= 1e-10f || sv.unshot.g >= 1e-10f || sv.unshot.b >= 1e-10f)) continue;
        st.shooterUnshot = sv.unshot;
        st.shooterPosition = sv.shootPoint;
        s.intersection.resetShadowSurfaceIndex();
        for (int fi = 0; fi < recs.instanceCount(); ++fi) {
            const KivParentSurface& f = recs[fi];
            if (fi == shooter || (f.flags & 0x04) != 0) continue;
            if ((f.flags & 0x40) != 0 && (S.flags & 0x40) != 0) continue;
            const float close = 3.0f * std::max(f.wInterval, f.hInterval);
            for (int k = 0; k < f.vertTotalCount; ++k) {
                KivVertex& r = s.vertices.direct[f.vertArrayIndex + k];
                r.shotFlags = 1;
                const KivVector d = kiv::vectorBetween(sv.shootPoint, r.receivePoint);
                const float dist = kiv::length(d);
                const KivVector dh = kiv::normalise(d);
                const float cs = kiv::clampf(kiv::dot(dh, st.shooterNormal), 0.0f, 1.0f);
                const float f0 = cs * sv.area / (dist * dist);
                if (!(f0 >= 1e-10f)) continue;
                const float F =
                    kiv::diskFormFactor(f0, kiv::dot(kiv::negate(dh), kiv::normalise(r.normal)));
                if (!(F >= 1e-10f)) {
                    r.current = KivColor::make(0, 0, 0);
                    continue;
                }
                KivColor E = F * sv.unshot;
                if (r.inside() > 0.0f) {
                    st.receiverPoint = r.receivePoint;
                    st.receiverSurface = fi;
                    const float v = kiv::judgeIntersection(s);
                    if (v == 1.0f) {
                        E = KivColor::make(0, 0, 0);
                    } else {
                        if (v == 0.5f) E *= s.intersection.transparencyColorResult;
                        r.shotFlags = dist < close ? 6 : 2;
                    }
                }
                r.current = E;
            }
        }
        Shooter(s).updateReceiveUnshot();
    }
    Shooter(s).clearShooter();
}

void litCornellBox(SceneFixture& f) {
    f.cornellBox(60.0f);
    ASSERT_GE(f->vertices.createDirect(f->surfaces, f->lightmaps), 0);
    kiv::buildVoxelGrid(*f);
    Shooter sh(*f);
    sh.initialize();
    f->lights.instanciate(new kiv::testing::TestPointLight(KivColor(1e6f, 8e5f, 6e5f),
                                                           KivPoint::make(275, 540, 275)));
    f->shooting.shootType = kiv::kShootLight;
    ASSERT_EQ(sh.chooseNext(0), 0);
    sh.setShooterParam();
    sh.radiosity();
    sh.updateReceiveUnshot();
    sh.clearShooter();
    f->shooting.shootType = kiv::kShootSurface;
}

}  // namespace

TEST(SurfaceShot, PackedShotMatchesThePlainShotBitForBit) {
    SceneFixture a;
    litCornellBox(a);
    SceneFixture b;
    litCornellBox(b);
    for (int shot = 0; shot < 3; ++shot) {
        SCOPED_TRACE(shot);
        KivScene_MakeCurrent(a.scene);
        Shooter sa(*a);
        const int ia = sa.chooseNext(0);
        ASSERT_GE(ia, 0);
        sa.setShooterParam();
        sa.surfaceShot();
        KivScene_MakeCurrent(b.scene);
        Shooter sb(*b);
        ASSERT_EQ(sb.chooseNext(0), ia);
        sb.setShooterParam();
        referenceSurfaceShot(*b);

        ASSERT_EQ(a->vertices.direct.size(), b->vertices.direct.size());
        int differences = 0;
        for (std::size_t i = 0; i < a->vertices.direct.size(); ++i) {
            const KivVertex& x = a->vertices.direct[i];
            const KivVertex& y = b->vertices.direct[i];
            const float xs[] = {x.received.r, x.received.g, x.received.b, x.received.a,
                                x.unshot.r,   x.unshot.g,   x.unshot.b,   x.current.r};
            const float ys[] = {y.received.r, y.received.g, y.received.b, y.received.a,
                                y.unshot.r,   y.unshot.g,   y.unshot.b,   y.current.r};
            if (std::memcmp(xs, ys, sizeof xs) != 0 || x.shotFlags != y.shotFlags) ++differences;
        }
        EXPECT_EQ(differences, 0);
        EXPECT_EQ(a->shooting.receiverFirst, b->shooting.receiverFirst);
        EXPECT_EQ(a->shooting.receiverDiffuse.r, b->shooting.receiverDiffuse.r);
    }
}

TEST(UpdatePass, SkyLightFillsEveryOutsidePointFromTheInsidePoints) {
    SceneFixture f;
    const int s = preparedTriangle(*f);
    const KivParentSurface& g = f->surfaces.records[s];
    // Inside points catch their column number plus one; outside points catch nothing.
    for (int j = 0; j < g.height; ++j)
        for (int i = 0; i < g.width; ++i) {
            KivVertex& v = f->vertices.direct[g.vertArrayIndex + i + j * g.width];
            const float e = v.inside() == 1.0f ? static_cast<float>(i + 1) : 0.0f;
            v.current = KivColor(e, e, e);
            v.shotFlags = 1;
        }
    f->shooting.shootType = kiv::kShootLight;
    f->shooting.shooterType = kKivSkyLight;
    Shooter(*f).updateReceiveUnshot();
    int outside = 0;
    for (int j = 0; j < g.height; ++j) {
        int lastInside = -1;
        for (int i = 0; i < g.width; ++i) {
            const KivVertex& v = f->vertices.direct[g.vertArrayIndex + i + j * g.width];
            if (v.inside() == 1.0f) {
                lastInside = i;
                continue;
            }
            ++outside;
            EXPECT_EQ(v.inside(), 0.0f);
            EXPECT_EQ(v.unshot.r, 0.0f);
            // After the inside run of its row it takes the last inside value of the row.
            if (lastInside >= 0) {
                EXPECT_EQ(v.received.r, static_cast<float>(lastInside + 1));
            }
            EXPECT_GT(v.received.r, 0.0f) << i << "," << j;
        }
    }
    EXPECT_GT(outside, 0);
}
