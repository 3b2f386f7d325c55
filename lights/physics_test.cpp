// End-to-end physics of a solve: results that have analytic answers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "engine/KivRadiosity.h"
#include "lights/KivStandardLights.h"

namespace {

struct Quad {
    KivPoint p[4];
};

// A square floor of half-size h in the plane z = 0, facing +z.
Quad floorQuad(float h) {
    return {{KivPoint(-h, -h, 0), KivPoint(h, -h, 0), KivPoint(h, h, 0), KivPoint(-h, h, 0)}};
}

// The six faces of the cube [0, s]^3, each wound to face the inside.
void closedBox(float s, Quad out[6]) {
    const KivPoint c[8] = {KivPoint(0, 0, 0), KivPoint(s, 0, 0), KivPoint(s, s, 0), KivPoint(0, s, 0),
                           KivPoint(0, 0, s), KivPoint(s, 0, s), KivPoint(s, s, s), KivPoint(0, s, s)};
    const int faces[6][4] = {{0, 1, 2, 3}, {4, 7, 6, 5}, {0, 4, 5, 1},
                             {3, 2, 6, 7}, {0, 3, 7, 4}, {1, 5, 6, 2}};
    for (int f = 0; f < 6; ++f)
        for (int k = 0; k < 4; ++k) out[f].p[k] = c[faces[f][k]];
}

void addQuad(const Quad& q, float interval, KivColor diffuse) {
    const KivUvw uv[4];
    ASSERT_GE(KivSurface_Instanciate(4, q.p, nullptr, uv, interval, 1, 0, diffuse), 0);
}

// Sum over the inside sample points of received energy times the area each represents.
KivColor areaWeightedReceived() {
    KivColor sum(0, 0, 0);
    const int n = KivVertex_GetCount();
    const KivVertex* v = KivVertex_GetPointer();
    for (int i = 0; i < n; ++i) {
        if (v[i].inside() != 1.0f) continue;
        sum.r += v[i].received.r * v[i].area;
        sum.g += v[i].received.g * v[i].area;
        sum.b += v[i].received.b * v[i].area;
    }
    return sum;
}

void solve() {
    KivSurface_EndInstance();
    ASSERT_GT(KivVertex_Create(), 0);
    KivParameter_SetUseTextureDiffuse(-1);  // keep the diffuse colours given at instancing
    KivRadiosity_Initialize();
    KivRadiosity_DoSolution();
}

}  // namespace

TEST(Physics, PointLightIrradianceBelowTheLight) {
    const float d = 3.0f;
    const float power = 5.0f;
    KivScene_Create();
    KivRadiosity_SetCurrentDir(const_cast<char*>(::testing::TempDir().c_str()));
    addQuad(floorQuad(1.0f), 0.25f, KivColor(0.5f, 0.5f, 0.5f));
    KivPointLight_Instanciate(KivColor(power, power, power), KivPoint(0, 0, d), 0.0f, kKivInfinity);
    KivParameter_SetIndirectLightShoot(0);
    solve();
    // The grid point at the origin lies straight below the light.
    const KivVertex* v = KivVertex_GetPointer();
    int below = -1;
    for (int i = 0; i < KivVertex_GetCount(); ++i)
        if (v[i].receivePoint.x == 0.0f && v[i].receivePoint.y == 0.0f) below = i;
    ASSERT_GE(below, 0);
    const double expected = power / (4.0 * 3.14159265358979323846 * d * d);
    EXPECT_FLOAT_EQ(v[below].received.r, static_cast<float>(expected));
    EXPECT_FLOAT_EQ(v[below].received.b, static_cast<float>(expected));
    KivScene_End();
}

// In a closed box whose walls reflect rho, every bounce returns rho of what arrived, so the
// energy received in total approaches P / (1 - rho) as the solution converges. The sampled
// solution falls short by the error of point-sampling the walls and of the disk form factor
// between points closer than their spacing (along the box's edges); both shrink with the
// spacing (measured: 0.87, 0.94, 0.97 and 0.98 at spacings 1/4, 1/8, 1/16 and 1/25).
TEST(Physics, ClosedBoxEnergyBalance) {
    const float rho = 0.5f;
    const float power = 1.0f;
    struct Case {
        float interval;
        double tolerance;
    } cases[] = {{0.25f, 0.15}, {0.125f, 0.07}, {0.0625f, 0.035}};
    for (const Case& c : cases) {
        KivScene_Create();
        KivRadiosity_SetCurrentDir(const_cast<char*>(::testing::TempDir().c_str()));
        Quad box[6];
        closedBox(1.0f, box);
        for (const Quad& q : box) addQuad(q, c.interval, KivColor(rho, rho, rho));
        KivPointLight_Instanciate(KivColor(power, power, power), KivPoint(0.5f, 0.5f, 0.5f), 0.0f,
                                  kKivInfinity);
        KivParameter_SetConvergence(0.999f);
        KivParameter_SetMaxShootCount(100000);
        solve();
        const KivColor sum = areaWeightedReceived();
        const double ratio = sum.r / (power / (1.0 - rho));
        std::printf("interval %.4f: %d points, %d shots, received / (P / (1 - rho)) = %.4f\n",
                    c.interval, KivVertex_GetCount(), KivRadiosity_GetIterationCount(), ratio);
        EXPECT_NEAR(ratio, 1.0, c.tolerance);
        EXPECT_LT(ratio, 1.0);  // never more energy than the light put in
        KivScene_End();
    }
}
