#include "lights/spot_light.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "lights/KivStandardLights.h"
#include "lights/light_test_scene.h"

using namespace kiv::lights::testing;

namespace {

const KivVector kDown(0.0f, 0.0f, -1.0f);

float cosOfDegrees(float degrees) { return std::cos(degrees * 0.00555555569f * kKivPi); }

using SpotLight = LightScene;

}  // namespace

TEST(SpotLightData, FieldIsWidenedToTheBeamAndTheConeCosinesDerived) {
    struct Case {
        float field, beam, wantField;
    };
    for (const Case c : {Case{20, 30, 30}, Case{40, 30, 40}, Case{30, 30, 30}, Case{89, 5, 89}}) {
        SCOPED_TRACE(std::to_string(c.field) + " " + std::to_string(c.beam));
        KivSpotLight* s = KivSpotLight_Create(KivColor(1, 1, 1), KivPoint(), KivVector(0, 0, -3),
                                              c.field, c.beam, 5.0f, 2.0f);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->getField(), c.wantField);
        EXPECT_EQ(s->getBeam(), c.beam);
        EXPECT_EQ(s->getFalloffStart(), 5.0f);
        EXPECT_EQ(s->getFalloffEnd(), 5.0f);
        EXPECT_EQ(s->getDirection().z, -1.0f);
        EXPECT_EQ(s->getFieldCos(), cosOfDegrees(c.wantField));
        EXPECT_EQ(s->getBeamCos(), cosOfDegrees(c.beam));
        // The exponent halves the intensity at the beam angle.
        EXPECT_NEAR(std::pow(s->getBeamCos(), s->getSourceSpotCoefficient()), 0.5f, 1e-6f);
        delete s;
    }
}

TEST(SpotLightData, CubicRampRisesSmoothlyFromFieldToBeam) {
    const float a = 0.5f, b = 0.9f;
    struct Case {
        float x, want;
    };
    // t^2 (3 - 2t) with t = (x - a) / (b - a); flat outside.
    for (const Case c : {Case{0.1f, 0.0f}, Case{0.5f, 0.0f}, Case{0.6f, 0.15625f}, Case{0.7f, 0.5f},
                         Case{0.8f, 0.84375f}, Case{0.9f, 1.0f}, Case{0.95f, 1.0f}}) {
        EXPECT_NEAR(KivSpotLight::ramp(a, b, c.x), c.want, 2e-6f) << c.x;
    }
    EXPECT_EQ(KivSpotLight::ramp(a, b, std::nextafter(a, 0.0f)), 0.0f);
    EXPECT_EQ(KivSpotLight::ramp(a, b, std::nextafter(b, 1.0f)), 1.0f);
}

TEST(SpotLightData, SpotFactorIsOneHalfAtTheBeamAngle) {
    // To single precision: for narrow beams the exponent is large and the cosine's rounding
    // shows (about 1e-5 at one degree).
    for (const float beam : {1.0f, 10.0f, 30.0f, 45.0f, 60.0f, 80.0f}) {
        KivSpotLight s;
        s.init();
        s.setData(KivColor(1, 1, 1), KivPoint(), kDown, beam + 5.0f, beam, 0.0f, 1.0f);
        EXPECT_NEAR(KivSpotLight::spotFactor(s.getFieldCos(), s.getBeamCos(),
                                             s.getSourceSpotCoefficient(), s.getBeamCos()),
                    0.5f, 2e-5f)
            << beam;
        // On the axis: ramp 1 and any power of 1.
        EXPECT_EQ(KivSpotLight::spotFactor(s.getFieldCos(), s.getBeamCos(),
                                           s.getSourceSpotCoefficient(), 1.0f),
                  1.0f);
    }
}

// Cases the cone formulas cannot handle as written: cones of equal width (the ramp would
// divide 0 by 0 on their edge) and a zero beam (the exponent would be -ln 2 / 0). Both must
// give finite factors: the edge of equal cones counts as inside, and a zero beam keeps only
// the axis itself.
TEST(SpotLightData, DegenerateConesGiveFiniteFactors) {
    KivSpotLight equal;
    equal.init();
    equal.setData(KivColor(1, 1, 1), KivPoint(), kDown, 30.0f, 30.0f, 0.0f, 1.0f);
    const float c = equal.getBeamCos();
    EXPECT_EQ(KivSpotLight::ramp(c, c, c), 1.0f);
    EXPECT_NEAR(KivSpotLight::spotFactor(c, c, equal.getSourceSpotCoefficient(), c), 0.5f, 1e-6f);

    KivSpotLight pencil;
    pencil.init();
    pencil.setData(KivColor(1, 1, 1), KivPoint(), kDown, 10.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_EQ(pencil.getBeamCos(), 1.0f);
    EXPECT_EQ(pencil.getSourceSpotCoefficient(), kKivInfinity);
    const float fc = pencil.getFieldCos(), k = pencil.getSourceSpotCoefficient();
    EXPECT_EQ(KivSpotLight::spotFactor(fc, 1.0f, k, 1.0f), 1.0f);
    for (const float s : {fc, 0.99f, std::nextafter(1.0f, 0.0f)})
        EXPECT_EQ(KivSpotLight::spotFactor(fc, 1.0f, k, s), 0.0f) << s;
}

TEST_F(SpotLight, PointsOutsideTheFieldConeReceiveNothingAndKeepTheirFlags) {
    const int i = KivSpotLight_Instanciate(KivColor(1, 1, 1), above(free_, 3.0f), kDown, 10.0f,
                                           5.0f, 0.0f, 1.0f);
    const int outside = floorPointNear(1.5f, 1.5f);
    const int before = queries();
    expectColour(shootAt(*KivLight_GetPointer(i), i, outside), KivColor());
    EXPECT_EQ(vertex(outside).shotFlags, kUntouched);
    EXPECT_EQ(queries(), before);
    // On the axis the same light does shine.
    EXPECT_GT(shootAt(*KivLight_GetPointer(i), i, free_).r, 0.0f);
}

// A field of 90 degrees or more lights the whole half-space in front at a constant spot factor
// of one half, which over 2 pi d^2 is exactly what a point light of the same power gives over
// 4 pi d^2: every floor point must receive the same energy and flags from both.
TEST_F(SpotLight, WideFieldShinesLikeAPointLightOverTheHalfSpace) {
    const KivColor power(3.0f, 2.0f, 1.0f);
    const KivPoint at(0.3f, -0.2f, 3.0f);
    const int point = KivPointLight_Instanciate(power, at, 0.0f, 1.0f);
    for (const float field : {90.0f, 120.0f}) {
        const int spot = KivSpotLight_Instanciate(power, at, kDown, field, 30.0f, 0.0f, 1.0f);
        EXPECT_LE(KivLight_GetFieldCos(spot), 0.0f);
        const int first = KivSurface_GetVertArrayIndex(0);
        for (int v = first; v < first + KivSurface_GetVertTotalCount(0); ++v) {
            const KivColor fromPoint = shootAt(*KivLight_GetPointer(point), point, v);
            const unsigned char flags = vertex(v).shotFlags;
            const KivColor fromSpot = shootAt(*KivLight_GetPointer(spot), spot, v);
            ASSERT_EQ(fromSpot.r, fromPoint.r) << field << " vertex " << v;
            ASSERT_EQ(fromSpot.b, fromPoint.b) << field << " vertex " << v;
            ASSERT_EQ(vertex(v).shotFlags, flags) << field << " vertex " << v;
        }
    }
}

TEST_F(SpotLight, AnglesTakeEffectOnlyThroughDoSet) {
    // Before the first doSet the cone cosine is "no value" and nothing is inside the cone.
    KivSpotLight* bare = new KivSpotLight;
    bare->init();
    bare->setPosition(above(free_, 3.0f));
    bare->setDirection(kDown);
    bare->setUnshot(KivColor(1, 1, 1));
    bare->setField(40.0f);
    bare->setBeam(30.0f);
    EXPECT_EQ(bare->getFieldCos(), kKivInfinity);
    EXPECT_EQ(bare->getSourceSpotCoefficient(), kKivInfinity);
    const int i = KivLight_Instanciate(bare);
    expectColour(shootAt(*bare, i, free_), KivColor());
    EXPECT_EQ(vertex(free_).shotFlags, kUntouched);

    KivLight_DoSet(i);
    EXPECT_EQ(KivLight_GetFieldCos(i), cosOfDegrees(40.0f));
    EXPECT_GT(shootAt(*bare, i, free_).r, 0.0f);
    KivLight_SetField(i, 10.0f);
    EXPECT_EQ(KivLight_GetFieldCos(i), cosOfDegrees(40.0f));
    KivLight_DoSet(i);
    EXPECT_EQ(KivLight_GetFieldCos(i), cosOfDegrees(10.0f));

    // The direction setter stores the vector as given.
    KivLight_SetDirection(i, KivVector(0, 0, -2));
    EXPECT_EQ(KivLight_GetDirection(i).z, -2.0f);
}

TEST(SpotLightText, OutputEndsWithFieldBeamAndFalloff) {
    KivSpotLight* s = KivSpotLight_Create(KivColor(1, 2, 3), KivPoint(0, 5, 0), KivVector(0, -2, 0),
                                          40.0f, 30.0f, 0.0f, 10.0f);
    std::FILE* f = std::tmpfile();
    s->output(f);
    std::rewind(f);
    std::string text;
    for (int ch; (ch = std::fgetc(f)) != EOF;) text += static_cast<char>(ch);
    std::fclose(f);
    EXPECT_EQ(text,
              "2\n1.000000 2.000000 3.000000\n0.000000 5.000000 0.000000\n"
              "0.000000 -1.000000 0.000000\n40.000000\n30.000000\n0.000000\n10.000000\n");
    delete s;
}
