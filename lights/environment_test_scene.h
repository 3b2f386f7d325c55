#pragma once
// Fixtures of the environment-light tests: a small RGBE image written with the engine's own
// writer, an independent form of the lookup-angle rule, and a scene built with the engine's
// surface, attribute, vertex and grid functions for the occlusion cases:
//   - a glass slab (transparency 0.5, 0.25, 1) at z = 1 over [-2, 2] x [-2, 2];
//   - a closed opaque box [10, 12] x [-1, 1] x [50, 52].
// Both are survey surfaces (flag 0x40), so that they also stop light from an HDRI shooter.
// The tests put their receiving point into sample point 0 and set the visibility state
// themselves, as the shooting code does before every shot.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/KivRadiosity.h"
#include "engine/hdri.h"
#include "engine/intersection.h"
#include "engine/scene.h"
#include "engine/voxel_grid.h"

namespace kiv::env::testing {

inline constexpr KivColor kGlass{0.5f, 0.25f, 1.0f, 1.0f};
// A shotFlags value no light writes, to see whether a shot left the flags alone.
inline constexpr unsigned char kUntouched = 77;
inline constexpr int kImageWidth = 8;
inline constexpr int kImageHeight = 4;

// Writes an 8 x 4 image whose texels all differ: red 1 + column + 8 x row, green 2 - row / 4,
// blue 0.5 + column / 16. Returns its path.
inline std::string writeTestImage(const std::string& name) {
    std::vector<float> rgb;
    for (int row = 0; row < kImageHeight; ++row) {
        for (int col = 0; col < kImageWidth; ++col) {
            rgb.push_back(1.0f + static_cast<float>(col + kImageWidth * row));
            rgb.push_back(2.0f - static_cast<float>(row) / 4.0f);
            rgb.push_back(0.5f + static_cast<float>(col) / 16.0f);
        }
    }
    const std::string path = ::testing::TempDir() + name;
    EXPECT_TRUE(kiv::writeRgbeFile(path.c_str(), rgb.data(), kImageWidth, kImageHeight));
    return path;
}

// The image as the engine reads it back (the RGBE quantisation included).
inline KivHDRI readBack(const std::string& path) {
    KivHDRI image;
    std::ifstream in(path, std::ios::binary);
    in >> image;
    EXPECT_EQ(image.width, kImageWidth);
    return image;
}

inline KivColor texel(const KivHDRI& image, int col, int row) {
    const float* t = image.data + (static_cast<std::size_t>(row) * image.width + col) * 3;
    return KivColor::make(t[0], t[1], t[2]);
}

// The texel a direction (a, b, c) in the image's frame looks up, by the lookup-angle rule
// written with std::acos and std::atan2: theta = acos(-c), phi = atan2(a, -b) in [0, 360).
// False when the lookup lies within `margin` texels of a texel border, where the engine's
// interpolated arc cosine may round to the neighbour.
inline bool expectedTexel(double a, double b, double c, int& col, int& row, double margin = 1e-3) {
    const double len = std::sqrt(a * a + b * b + c * c);
    a /= len;
    b /= len;
    c /= len;
    const double theta = std::acos(std::clamp(-c, -1.0, 1.0)) * 180.0 / M_PI;
    double phi = std::hypot(a, b) < 1e-10 ? 0.0 : std::atan2(a, -b) * 180.0 / M_PI;
    if (phi < 0.0) phi += 360.0;
    const double x = phi / 360.0 * kImageWidth;
    const double y = (1.0 - theta / 180.0) * kImageHeight;
    col = std::min(static_cast<int>(x), kImageWidth - 1);
    row = std::min(static_cast<int>(y), kImageHeight - 1);
    const auto nearBorder = [margin](double t, int size) {
        return t < size && t > 0.0 && std::fabs(t - std::round(t)) < margin;
    };
    return !nearBorder(x, kImageWidth) && !nearBorder(y, kImageHeight);
}

class EnvironmentScene : public ::testing::Test {
  protected:
    void SetUp() override {
        KivScene_Create();
        KivAttribute_InitializeStack();
        KivAttribute_SetTransparency(kGlass);
        KivAttribute_Instanciate("glass");
        KivAttribute_EndInstance();

        KivSurface_InitializeStack();
        KivSurface_SetFlags(0x40);
        KivSurface_SetAttributeName("glass");
        addQuad({{-2, -2, 1}, {2, -2, 1}, {2, 2, 1}, {-2, 2, 1}});
        KivSurface_SetAttributeName("");
        const float x0 = 10, x1 = 12, y0 = -1, y1 = 1, z0 = 50, z1 = 52;
        addQuad({{x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}});
        addQuad({{x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}});
        addQuad({{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}});
        addQuad({{x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}});
        addQuad({{x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}});
        addQuad({{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}});
        KivSurface_EndInstance();
        KivLightmap_InstanciateAll();
        ASSERT_GT(KivVertex_Create(), 0);
        ASSERT_GT(kiv::buildVoxelGrid(kiv::scene()), 0);
    }
    void TearDown() override { KivScene_End(); }

    static void addQuad(std::initializer_list<KivPoint> corners) {
        ASSERT_GE(KivSurface_Instanciate(4, corners.begin(), nullptr, nullptr, 1.0f, 1), 0);
    }

    // Makes sample point 0 the receiving point and loads the visibility state for a shot of
    // `light` at it.
    static KivVertex& aim(KivLight& light, KivPoint at, KivVector normal, float area = 0.01f,
                          float inside = 1.0f) {
        KivVertex& v = KivVertex_GetPointer()[0];
        v.receivePoint = at;
        v.normal = normal;
        v.area = area;
        v.setInside(inside);
        v.shotFlags = kUntouched;
        kiv::QueryState& q = kiv::queryState(kiv::scene());
        q.shootType = 1;
        q.shooterType = light.getType();
        q.shooterIndex = 0;
        q.shooterPosition = light.getPosition();
        q.receiverPoint = at;
        q.receiverSurface = -1;
        return v;
    }

    // Visibility queries made since the scene was built.
    static int queries() { return kiv::scene().intersection.rayCounter; }
};

}  // namespace kiv::env::testing
