// What every light of the library does alike: registration, the receiver-cosine cut, shadow
// queries only for points inside their polygon, transparent occluders and the close flag.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "lights/KivStandardLights.h"
#include "lights/light_common.h"
#include "lights/light_test_scene.h"

using namespace kiv::lights;
using namespace kiv::lights::testing;

namespace {

constexpr KivColor kPower{2.0f, 3.0f, 4.0f, 1.0f};
constexpr float kHeight = 3.0f;

enum class Kind { directional, point, spot };
const Kind kKinds[] = {Kind::directional, Kind::point, Kind::spot};

const char* name(Kind k) {
    return k == Kind::directional ? "directional" : (k == Kind::point ? "point" : "spot");
}

// A light of the given kind shining straight down on sample point i from kHeight above it.
int lightAbove(Kind kind, const KivPoint& p) {
    const KivVector down(0.0f, 0.0f, -1.0f);
    switch (kind) {
        case Kind::directional:
            return KivDirectionalLight_Instanciate(kPower, down);
        case Kind::point:
            return KivPointLight_Instanciate(kPower, p, 0.0f, kKivInfinity);
        case Kind::spot:
            return KivSpotLight_Instanciate(kPower, p, down, 40.0f, 30.0f, 0.0f, kKivInfinity);
    }
    return -1;
}

// The unblocked energy factor straight below at receiver cosine c: c for the directional
// light, c / (4 pi d^2) for the point light, c / (2 pi d^2) times a spot factor of 1 on the axis.
float unblockedFactor(Kind kind, float c) {
    const float d2 = kHeight * kHeight;
    switch (kind) {
        case Kind::directional:
            return c;
        case Kind::point:
            return c * kInvFourPi / d2;
        case Kind::spot:
            return c * kInvTwoPi / d2 * 1.0f;
    }
    return 0.0f;
}

KivColor scaled(const KivColor& c, float f) { return KivColor(c.r * f, c.g * f, c.b * f); }

using LightFamily = LightScene;

}  // namespace

TEST_F(LightFamily, InstanciateRegistersInOrderAndCreateRegistersNothing) {
    EXPECT_EQ(KivDirectionalLight_Instanciate(kPower, KivVector(0, 0, -1)), 0);
    EXPECT_EQ(KivPointLight_Instanciate(kPower, KivPoint(0, 0, 3), 0.0f, 1.0f), 1);
    EXPECT_EQ(KivSpotLight_Instanciate(kPower, KivPoint(0, 0, 3), KivVector(0, 0, -1), 40.0f, 30.0f,
                                       0.0f, 1.0f),
              2);
    EXPECT_EQ(KivLight_GetType(0), kKivDirectionalLight);
    EXPECT_EQ(KivLight_GetType(1), kKivPointLight);
    EXPECT_EQ(KivLight_GetType(2), kKivSpotLight);
    EXPECT_EQ(KivLight_GetAlreadyShoot(2), 0);
    // Setters take three components and keep the stored fourth.
    for (int i = 0; i < 3; ++i) {
        KivLight_SetUnshot(i, KivColor(7, 8, 9, 5));
        expectColour(KivLight_GetUnshot(i), KivColor(7, 8, 9));
    }

    KivLight* loose[] = {
        KivDirectionalLight_Create(kPower, KivVector(1, 0, 0)),
        KivPointLight_Create(kPower, KivPoint(), 0.0f, 1.0f),
        KivSpotLight_Create(kPower, KivPoint(), KivVector(1, 0, 0), 40.0f, 30.0f, 0.0f, 1.0f)};
    EXPECT_EQ(KivLight_GetInstanceCount(), 3);
    // A created light can be handed to the registry later, which then owns it.
    EXPECT_EQ(KivLight_Instanciate(loose[0]), 3);
    delete loose[1];
    delete loose[2];
}

TEST_F(LightFamily, ShadowQueriesOnlyForPointsInsideTheirPolygon) {
    struct Case {
        int vertex;
        float inside;
        bool lit;
        KivColor filter;
        bool queried;
    };
    const KivColor clear(1.0f, 1.0f, 1.0f);
    const std::vector<Case> cases = {
        {free_, 1.0f, true, clear, true},      {free_, 0.0f, true, clear, false},
        {glazed_, 1.0f, true, kGlass, true},   {glazed_, 0.0f, true, clear, false},
        {glazed_, -1.0f, true, clear, false},  {blocked_, 1.0f, false, clear, true},
        {blocked_, 0.5f, false, clear, true},  {blocked_, 0.0f, true, clear, false},
        {blocked_, -1.0f, true, clear, false},
    };
    for (Kind kind : kKinds) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(name(kind)) + " at x " +
                         std::to_string(vertex(c.vertex).receivePoint.x) + ", inside " +
                         std::to_string(c.inside));
            KivVertex& v = vertex(c.vertex);
            const float inside = v.inside();
            v.setInside(c.inside);
            const int i = lightAbove(kind, above(c.vertex, kHeight));
            const int before = queries();
            const KivColor e = shootAt(*KivLight_GetPointer(i), i, c.vertex);
            v.setInside(inside);

            EXPECT_EQ(queries() - before, c.queried ? 1 : 0);
            const float f = unblockedFactor(kind, v.normal.z);
            if (c.lit) {
                KivColor want = scaled(kPower, f);
                want *= c.filter;
                expectColour(e, want);
                EXPECT_EQ(v.shotFlags, kShotLit);
            } else {
                expectColour(e, KivColor());
                EXPECT_EQ(v.shotFlags, kShotReachedDark);
            }
        }
    }
}

TEST_F(LightFamily, ReceiverCosineOfExactlyOneThousandthIsShotAndBelowIsNot) {
    // The normal is used as stored, so a short one sets the cosine exactly.
    const float atLimit = 0.001f;
    const float below = std::nextafter(atLimit, 0.0f);
    KivVertex& v = vertex(free_);
    const KivVector normal = v.normal;
    for (Kind kind : kKinds) {
        SCOPED_TRACE(name(kind));
        const int i = lightAbove(kind, above(free_, kHeight));
        KivLight& light = *KivLight_GetPointer(i);

        v.normal = KivVector(0.0f, 0.0f, atLimit);
        expectColour(shootAt(light, i, free_), scaled(kPower, unblockedFactor(kind, atLimit)));
        EXPECT_EQ(v.shotFlags, kShotLit);

        v.normal = KivVector(0.0f, 0.0f, below);
        expectColour(shootAt(light, i, free_), KivColor());
        EXPECT_EQ(v.shotFlags, kUntouched);
    }
    v.normal = normal;
}

TEST_F(LightFamily, CloseFlagOnlyWhenTheThresholdLiesBeyondTheDistance) {
    struct Case {
        Kind kind;
        float threshold;
        unsigned char flag;
    };
    const Case cases[] = {
        {Kind::point, kHeight, kShotLit},
        {Kind::point, std::nextafter(kHeight, 10.0f), kShotLitClose},
        {Kind::spot, kHeight, kShotLit},
        {Kind::spot, std::nextafter(kHeight, 10.0f), kShotLitClose},
        {Kind::directional, kKivInfinity, kShotLit},  // never close
    };
    for (const int at : {free_, glazed_}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(name(c.kind)) + " threshold " + std::to_string(c.threshold));
            setCloseLengthThreshold(c.threshold);
            const int i = lightAbove(c.kind, above(at, kHeight));
            const KivColor e = shootAt(*KivLight_GetPointer(i), i, at);
            EXPECT_GT(e.r, 0.0f);
            EXPECT_EQ(vertex(at).shotFlags, c.flag);
        }
    }
}
