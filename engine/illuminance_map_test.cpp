#include "engine/illuminance_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/KivRadiosity.h"
#include "engine/scene.h"

namespace {

// A scene of bare surfaces with the given grid sizes, each with its own sample points whose
// received energy encodes (surface, i, j).
struct AtlasScene : ::testing::Test {
    void SetUp() override { KivScene_Create(); }
    void TearDown() override { KivScene_Delete(); }

    void addSurface(int w, int h, int nverts = 4, int group = 0) {
        KivScene& s = kiv::scene();
        KivParentSurface surf;
        surf.nverts = nverts;
        surf.width = w;
        surf.height = h;
        surf.setVertTotalCount();
        surf.groupId = group;
        surf.vertArrayIndex = static_cast<int>(s.vertices.direct.size());
        for (int k = 0; k < 4; ++k) surf.lightmapUvw[k] = KivUvw{0.1f, 0.9f, 1.0f};
        const int index = s.surfaces.records.instanceCount();
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) {
                KivVertex v;
                v.received = KivColor(static_cast<float>(index), static_cast<float>(i),
                                      static_cast<float>(j));
                s.vertices.direct.push_back(v);
            }
        s.surfaces.records.instanciate(surf);
        auto& groups = s.surfaces.groups;
        if (std::find(groups.begin(), groups.end(), group) == groups.end()) groups.push_back(group);
    }
};

}  // namespace

TEST(Atlas, PowerOfTwoCeil) {
    const long long in[] = {0, 1, 2, 3, 8, 9};
    const int out[] = {0, 1, 2, 4, 8, 16};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(kiv::powerOfTwoCeil(in[k]), out[k]);
}

TEST_F(AtlasScene, SingleSurfaceFillsBottomUp) {
    addSurface(5, 5);
    KivIlluminancemap_Sorting();
    EXPECT_EQ(KivIlluminancemap_GetWidth(), 8);
    EXPECT_EQ(KivIlluminancemap_GetHeight(), 8);
    std::vector<float> buf(8 * 8 * 3, -1.0f);
    EXPECT_EQ(KivIlluminancemap_Create(buf.data()), 1);
    // Grid point (0, 0) lands in buffer row 7, column 0; (4, 2) in row 5, column 4.
    EXPECT_EQ(buf[(7 * 8 + 0) * 3 + 1], 0.0f);
    EXPECT_EQ(buf[(5 * 8 + 4) * 3 + 1], 4.0f);
    EXPECT_EQ(buf[(5 * 8 + 4) * 3 + 2], 2.0f);
    EXPECT_EQ(buf[(0 * 8 + 0) * 3], -1.0f);  // outside the block: untouched

    std::vector<KivUvw> uv(KivUvmap_GetCount());
    ASSERT_EQ(uv.size(), 4u);
    EXPECT_EQ(KivUvmap_Create(uv.data()), 1);
    EXPECT_EQ(uv[0].u, 1.0f / 16.0f);
    EXPECT_EQ(uv[0].v, 9.0f / 16.0f);
}

TEST_F(AtlasScene, ColumnsOfAscendingWidth) {
    addSurface(5, 5);
    addSurface(3, 9);
    KivIlluminancemap_Sorting();
    EXPECT_EQ(KivIlluminancemap_GetWidth(), 8);
    EXPECT_EQ(KivIlluminancemap_GetHeight(), 16);
    const auto& pl = kiv::scene().illuminance.placements;
    auto it = pl.begin();
    EXPECT_EQ(it->second.surface, 1);
    EXPECT_EQ(it->second.x, 0);
    ++it;
    EXPECT_EQ(it->second.surface, 0);
    EXPECT_EQ(it->second.x, 3);
    EXPECT_EQ(it->second.y, 0);
}

TEST_F(AtlasScene, TriangleCornerIsExtrapolatedAndComponentsKept) {
    addSurface(2, 2, 3);
    std::vector<KivVertex>& v = kiv::scene().vertices.direct;
    v[0].received = KivColor(1, 1, 1);  // Z
    v[1].received = KivColor(3, 0, 2);  // A = (1, 0)
    v[2].received = KivColor(2, 0, 0);  // B = (0, 1)
    KivIlluminancemap_Sorting();
    KivIlluminancemap_SetNumComponents(4);
    const int w = KivIlluminancemap_GetWidth(), h = KivIlluminancemap_GetHeight();
    ASSERT_EQ(w, 2);
    ASSERT_EQ(h, 2);
    std::vector<float> buf(static_cast<std::size_t>(w * h * 4), 7.0f);
    KivIlluminancemap_Create(buf.data());
    const float* corner = &buf[(0 * 2 + 1) * 4];  // grid point (1, 1) is in buffer row 0
    EXPECT_EQ(corner[0], 4.0f);
    EXPECT_EQ(corner[1], 0.0f);   // A + B - Z = -1 < 0 becomes (A + B) / 2
    EXPECT_EQ(corner[2], 1.0f);
    EXPECT_EQ(corner[3], 7.0f);   // the fourth float stays as the caller filled it
}

TEST_F(AtlasScene, GroupForms) {
    addSurface(2, 2, 3, 5);
    addSurface(2, 2, 4, 9);
    addSurface(2, 2, 4, 5);
    EXPECT_EQ(KivUvmap_GetCountBySurfaceGroup(0), 7);
    EXPECT_EQ(KivUvmap_GetCountBySurfaceGroup(1), 4);
    EXPECT_EQ(KivUvmap_GetCountBySurfaceGroup(2), 0);
    EXPECT_EQ(KivIlluminancemap_SortingBySurfaceGroup(2), 0);
    EXPECT_EQ(KivIlluminancemap_SortingBySurfaceGroup(0), 1);
    EXPECT_EQ(kiv::scene().illuminance.placements.size(), 2u);
    KivUvw out[1];
    EXPECT_EQ(KivUvmap_CreateBySurfaceGroup(-1, out), 0);
}
