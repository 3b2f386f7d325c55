#pragma once
// The scene the light tests shoot into, built with the engine's own surface, attribute, vertex
// and grid functions: a 4 x 4 floor at z = 0 facing up, and at z = 1 two slabs over it, an
// opaque one over x < -0.25 and a glass one (transparency 0.5, 0.25, 1) over x > 0.25, with a
// free gap between them. A light straight above a floor point therefore reaches it freely,
// through glass or not at all, depending on the point's x.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/KivRadiosity.h"
#include "engine/intersection.h"
#include "engine/scene.h"
#include "engine/voxel_grid.h"

namespace kiv::lights::testing {

inline constexpr KivColor kGlass{0.5f, 0.25f, 1.0f, 1.0f};
// A shotFlags value no light writes, to see whether a shot left the flags alone.
inline constexpr unsigned char kUntouched = 77;

class LightScene : public ::testing::Test {
  protected:
    void SetUp() override {
        KivScene_Create();
        KivAttribute_InitializeStack();
        KivAttribute_SetTransparency(kGlass);
        KivAttribute_Instanciate("glass");
        KivAttribute_EndInstance();

        KivSurface_InitializeStack();
        const KivPoint floor[4] = {{-2, -2, 0}, {2, -2, 0}, {2, 2, 0}, {-2, 2, 0}};
        ASSERT_EQ(KivSurface_Instanciate(4, floor, nullptr, nullptr, 0.5f, 1), 0);
        const KivPoint opaque[4] = {{-2, -2, 1}, {-0.25f, -2, 1}, {-0.25f, 2, 1}, {-2, 2, 1}};
        ASSERT_EQ(KivSurface_Instanciate(4, opaque, nullptr, nullptr, 0.5f, 1), 1);
        KivSurface_SetAttributeName("glass");
        const KivPoint glass[4] = {{0.25f, -2, 1}, {2, -2, 1}, {2, 2, 1}, {0.25f, 2, 1}};
        ASSERT_EQ(KivSurface_Instanciate(4, glass, nullptr, nullptr, 0.5f, 1), 2);
        KivSurface_EndInstance();
        KivLightmap_InstanciateAll();
        ASSERT_GT(KivVertex_Create(), 0);
        ASSERT_GT(kiv::buildVoxelGrid(kiv::scene()), 0);

        free_ = floorPointNear(0.0f, 0.0f);
        blocked_ = floorPointNear(-1.0f, 0.0f);
        glazed_ = floorPointNear(1.0f, 0.0f);
    }
    void TearDown() override { KivScene_End(); }

    // The interior floor sample point closest to (x, y, 0).
    static int floorPointNear(float x, float y) {
        const int first = KivSurface_GetVertArrayIndex(0);
        const int count = KivSurface_GetVertTotalCount(0);
        int best = -1;
        float bestD = std::numeric_limits<float>::max();
        for (int k = first; k < first + count; ++k) {
            const KivVertex& v = KivVertex_GetPointer()[k];
            const float d = std::hypot(v.receivePoint.x - x, v.receivePoint.y - y);
            if (v.inside() == 1.0f && d < bestD) {
                best = k;
                bestD = d;
            }
        }
        EXPECT_LT(bestD, 0.25f) << "no floor point near " << x << ", " << y;
        return best;
    }

    static KivVertex& vertex(int i) { return KivVertex_GetPointer()[i]; }
    // The point `height` straight above sample point i.
    static KivPoint above(int i, float height) {
        const KivPoint& p = vertex(i).receivePoint;
        return KivPoint(p.x, p.y, p.z + height);
    }

    // Stands in for the shooting machinery: loads what a visibility query reads from the light
    // and the receiving point, as it does before every shoot.
    static void aim(KivLight& light, int lightIndex, int vertexIndex) {
        kiv::QueryState& q = kiv::queryState(kiv::scene());
        q.shootType = 1;
        q.shooterType = light.getType();
        q.shooterIndex = lightIndex;
        q.shooterPosition = light.getPosition();
        q.shooterDirection = kiv::normalise(light.getDirection());
        q.receiverPoint = vertex(vertexIndex).receivePoint;
        q.receiverSurface = 0;
    }

    // Shoots light at sample point i with its flags reset to kUntouched first.
    static KivColor shootAt(KivLight& light, int lightIndex, int i) {
        aim(light, lightIndex, i);
        vertex(i).shotFlags = kUntouched;
        return light.shoot(i);
    }

    // Visibility queries made since the scene was built.
    static int queries() { return kiv::scene().intersection.rayCounter; }
    static void setCloseLengthThreshold(float t) { kiv::scene().shooting.closeLengthThreshold = t; }

    int free_ = -1, blocked_ = -1, glazed_ = -1;
};

inline void expectColour(const KivColor& got, const KivColor& want) {
    EXPECT_EQ(got.r, want.r);
    EXPECT_EQ(got.g, want.g);
    EXPECT_EQ(got.b, want.b);
    EXPECT_EQ(got.a, 1.0f);
}

}  // namespace kiv::lights::testing
