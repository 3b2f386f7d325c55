#include "engine/kiv_types.h"

#include <gtest/gtest.h>

using namespace kiv;

TEST(KivTypes, DefaultsAndLayout) {
    const KivColor c;
    EXPECT_EQ(c.r, 0.0f);
    EXPECT_EQ(c.a, 1.0f);
    const KivUvw t;
    EXPECT_EQ(t.u, 0.0f);
    EXPECT_EQ(t.v, 0.0f);
    EXPECT_EQ(t.w, 1.0f);
    const KivMatrix m;
    for (int r = 0; r < 4; ++r)
        for (int col = 0; col < 4; ++col) EXPECT_EQ(m.at(r, col), r == col ? 1.0f : 0.0f);
}

TEST(KivTypes, ArithmeticKeepsFourthComponentAtOne) {
    const KivPoint a(1, 2, 3, 7), b(4, 5, 6, 9);
    const KivPoint s = a + b;
    EXPECT_EQ(s.x, 5.0f);
    EXPECT_EQ(s.z, 9.0f);
    EXPECT_EQ(s.w, 1.0f);
    const KivPoint d = a / 4.0f;  // multiplies by the reciprocal
    EXPECT_EQ(d.y, 2.0f * (1.0f / 4.0f));
    EXPECT_EQ((a - 1.0f).x, 0.0f);
    EXPECT_EQ((a + 1.0f).w, 1.0f);
    const KivColor p = KivColor(1, 2, 3, 0) * KivColor(2, 3, 4, 0);
    EXPECT_EQ(p.g, 6.0f);
    EXPECT_EQ(p.a, 1.0f);
    EXPECT_EQ((KivColor(1, 2, 3) / KivColor(2, 4, 8)).b, 3.0f / 8.0f);
    EXPECT_EQ(negate(KivVector(1, -2, 3, 5)).y, 2.0f);
    EXPECT_EQ(negate(KivVector(1, -2, 3, 5)).w, 1.0f);
}

TEST(KivTypes, GeometryOperations) {
    const KivVector n0 = normalise(KivVector(0, 0, 0, 1));
    EXPECT_EQ(n0.x, 0.0f);
    EXPECT_EQ(n0.y, 0.0f);
    EXPECT_EQ(n0.z, 0.0f);
    const KivVector n = normalise(KivVector(3, 0, 4, 1));
    EXPECT_FLOAT_EQ(n.x, 0.6f);
    EXPECT_FLOAT_EQ(n.z, 0.8f);
    const KivVector c = cross(KivVector(1, 0, 0), KivVector(0, 1, 0));
    EXPECT_EQ(c.x, 0.0f);
    EXPECT_EQ(c.z, 1.0f);
    EXPECT_EQ(c.w, 1.0f);
    EXPECT_EQ(triangleArea(KivPoint(0, 0, 0), KivPoint(1, 0, 0), KivPoint(0, 1, 0)), 0.5f);
    EXPECT_EQ(dot(KivVector(1, 2, 3, 100), KivVector(4, 5, 6, 100)), 32.0f);

    const KivColor k = clamp(KivColor(-1.0f, 0.5f, 2.0f), 0.0f, 1.0f);
    EXPECT_EQ(k.r, 0.0f);
    EXPECT_EQ(k.g, 0.5f);
    EXPECT_EQ(k.b, 1.0f);
}

TEST(KivTypes, RigidTransformRoundTrip) {
    // A frame whose axes are a rotation of 90 degrees about z, with origin (1, 2, 3).
    KivMatrix f;
    const float rows[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1};
    for (int i = 0; i < 16; ++i) f.m[i] = rows[i];
    const KivPoint local(2, 0, 0);
    const KivPoint world = transform(local, f);
    EXPECT_FLOAT_EQ(world.x, 1.0f);
    EXPECT_FLOAT_EQ(world.y, 4.0f);
    EXPECT_FLOAT_EQ(world.z, 3.0f);
    const KivPoint back = transform(world, rigidInverse(f));
    EXPECT_NEAR(back.x, 2.0f, 1e-6f);
    EXPECT_NEAR(back.y, 0.0f, 1e-6f);
    EXPECT_NEAR(back.z, 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(back.w, 1.0f);
}
